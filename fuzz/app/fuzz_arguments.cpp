// Command-line words (split at NUL bytes) for the world-file and save-points commands, and
// "Window Pos" texts.
#include "app/command_line.h"
#include "app/georeference_dlg.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> words;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i)
        if (i == text.size() || text[i] == '\0') {
            words.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    WorldFileArgs parsed;
    std::string problem;
    if (!ParseWorldFileArgs(words, parsed, problem) && problem.empty())
        std::abort();
    problem.clear();
    if (!ParseSavePointsArgs(words, parsed, problem) && problem.empty())
        std::abort();

    WindowPlacement placement;
    if (CGeoreferenceDlg::ParseWindowPos(text, placement)) {
        WindowPlacement again;
        if (!CGeoreferenceDlg::ParseWindowPos(CGeoreferenceDlg::FormatWindowPos(placement), again))
            std::abort();
    }
    return 0;
}
