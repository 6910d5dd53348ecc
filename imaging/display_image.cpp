// The image as the viewer draws it.
#include "imaging/display_image.h"

#include "imaging/dib_display.h"

#include <new>

namespace nv {

std::shared_ptr<const DisplayImage> DisplayImage::Make(COXDIB dib)
{
    std::shared_ptr<DisplayImage> image(new DisplayImage);
    image->m_dib = std::move(dib);
    const DIBBytes& block = image->m_dib.GetDIB();
    DIBLayout layout;
    if (image->m_dib.IsEmpty() || !DescribeDIB(block.data(), block.size(), layout))
        return image;
    const unsigned char* pixels = block.data();
    size_t size = block.size();
    if (layout.compression == kBiRLE8 || layout.compression == kBiRLE4) {
        try {
            if (!ExpandRLE(block.data(), block.size(), image->m_expanded) ||
                !DescribeDIB(image->m_expanded.data(), image->m_expanded.size(), layout))
                return image;
        } catch (const std::bad_alloc&) {
            return image;
        }
        pixels = image->m_expanded.data();
        size = image->m_expanded.size();
    }
    image->m_block = pixels;
    image->m_blockSize = size;
    image->m_layout = layout;
    return image;
}

std::shared_ptr<const DisplayLevels>
DisplayImage::BuildLevels(const std::atomic<bool>* cancel) const
{
    if (!m_block)
        return nullptr;
    auto levels = std::make_shared<DisplayLevels>();
    if (!levels->Build(m_block, m_blockSize, m_dib.GetDIB().size() / 3, cancel))
        return nullptr;
    return levels;
}

} // namespace nv
