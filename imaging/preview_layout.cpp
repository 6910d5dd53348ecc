// The preview pane's arithmetic and settings.
#include "imaging/preview_layout.h"

#include "platform/profile.h"
#include "support/paths.h"

#include <algorithm>
#include <vector>

namespace {

const char* const kSection = "COXPreviewDialog Settings";
const char* const kPreview = "Preview";
const char* const kOffset = "Preview Window Offset";

std::string Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return text;
}

} // namespace

PreviewGeometry PlacePreviewPane(int areaWidth, int defaultPaneWidth, int gap, int offset)
{
    PreviewGeometry g;
    const int widest = areaWidth - gap - kPreviewMinimumWidth; // the pane's
    if (widest < kPreviewMinimumWidth) {
        g.listWidth = std::clamp(areaWidth, 0, kPreviewMinimumWidth);
        g.paneWidth = std::max(0, areaWidth - gap - g.listWidth);
        g.offset = offset;
    } else {
        // In 64 bits: a saved offset may be any integer.
        const long long wanted = (long long)defaultPaneWidth + offset;
        g.paneWidth = int(std::clamp<long long>(wanted, kPreviewMinimumWidth, widest));
        g.listWidth = areaWidth - gap - g.paneWidth;
        g.offset = g.paneWidth - defaultPaneWidth;
    }
    g.paneLeft = areaWidth - g.paneWidth;
    return g;
}

int PreviewDragStep(int areaWidth, int gap, int grab, int offset, int lastX, int& x)
{
    const int left = kPreviewMinimumWidth + grab;
    const int right = areaWidth - kPreviewMinimumWidth - gap + grab;
    if (x < left)
        x = left;
    else if (x > right)
        x = std::max(left, right);
    return offset + lastX - x;
}

PreviewSettings ReadPreviewSettings(const nv::Profile& profile, const PreviewSettings& defaults)
{
    PreviewSettings s;
    s.preview = profile.GetInt(kSection, kPreview, defaults.preview ? 1 : 0) != 0;
    s.offset = profile.GetInt(kSection, kOffset, defaults.offset);
    return s;
}

bool WritePreviewSettings(nv::Profile& profile, const PreviewSettings& settings)
{
    const bool preview = profile.WriteString(kSection, kPreview, settings.preview ? "1" : "0");
    return profile.WriteString(kSection, kOffset, std::to_string(settings.offset)) && preview;
}

std::string FileDialogFilter(const std::string& filter)
{
    std::vector<std::string> parts;
    SplitFields(parts, filter.c_str(), "|");
    std::string out;
    for (size_t i = 0; i + 1 < parts.size() && !parts[i].empty(); i += 2) {
        std::vector<std::string> patterns;
        SplitFields(patterns, parts[i + 1].c_str(), ";");
        std::string list;
        for (const std::string& p : patterns) {
            const std::string shown = p == "*.*" ? "*" : p;
            list += (list.empty() ? "" : " ") + shown;
            if (Upper(shown) != shown)
                list += " " + Upper(shown);
        }
        out += (out.empty() ? "" : ";;") + parts[i] + " (" + list + ")";
    }
    return out;
}
