// Typed coordinate texts: every notation reads them, and what reads back formats and reads
// again to a value within the notation's precision, or the value itself as the table shows it.
#include "georef/coordinates.h"
#include "georef/world_file.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    uint32_t pixel = 0;
    std::string pixelMessage;
    if (!ParsePixelValue(text, pixel, pixelMessage) && pixelMessage.empty())
        std::abort();
    for (int notation = -1; notation <= 7; ++notation) {
        for (bool longitude : {false, true}) {
            double value = 0.0;
            std::string message;
            if (!ParseCoordinate(notation, text, longitude, value, message)) {
                if (message.empty())
                    std::abort();
                continue;
            }
            if (!std::isfinite(value))
                std::abort();
            const std::string shown = FormatCoordinate(notation, value, longitude);
            double again = 0.0;
            if (!ParseCoordinate(notation, shown, longitude, again, message))
                std::abort(); // what the program shows must read back
            const double limit = longitude ? 180.0 : 90.0;
            const double clamped = value > limit ? limit : (value < -limit ? -limit : value);
            if (std::fabs(again - clamped) > 1.0 / 60.0 + 1e-9)
                std::abort();
            // What the point table shows reads back as the value itself.
            const std::string exact = FormatCoordinateExact(notation, value, longitude);
            if (!ParseCoordinate(notation, exact, longitude, again, message) ||
                std::fabs(again - clamped) > 6e-7)
                std::abort();
        }
    }
    return 0;
}
