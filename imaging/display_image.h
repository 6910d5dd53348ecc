// An image as the viewer draws it, made on any thread and handed over whole: the image, the
// block its pixels are drawn from (run-length images expanded) and that block's description.
// It never changes once made, so one thread may turn it into a new image or build its reduced
// levels while another draws it.
#pragma once

#include "imaging/dib.h"
#include "imaging/dib_format.h"
#include "imaging/display_levels.h"

#include <atomic>
#include <memory>

namespace nv {

class DisplayImage
{
public:
    // Takes dib over. An image that cannot be drawn (malformed, or run-length data that does
    // not decode) is kept all the same and draws nothing.
    static std::shared_ptr<const DisplayImage> Make(COXDIB dib);

    const COXDIB& Image() const { return m_dib; }
    bool IsEmpty() const { return m_dib.IsEmpty(); }
    // Whether there are pixels to draw, and where they are.
    bool Drawable() const { return m_block != nullptr; }
    const unsigned char* Block() const { return m_block; }
    const DIBLayout& Layout() const { return m_layout; }

    // The reduced levels of the image, within a third of its memory; null when cancelled,
    // when memory runs out or when there is nothing to draw.
    std::shared_ptr<const DisplayLevels>
    BuildLevels(const std::atomic<bool>* cancel = nullptr) const;

private:
    DisplayImage() = default;

    COXDIB m_dib;
    DIBBytes m_expanded;
    const unsigned char* m_block = nullptr;
    size_t m_blockSize = 0;
    DIBLayout m_layout;
};

} // namespace nv
