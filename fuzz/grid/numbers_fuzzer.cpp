// Typed text read as a number, a date and a currency amount, and numbers written back as
// text, under one of a few locales.
#include "grid/cell_numbers.h"
#include "grid/table_cell.h"

#include <QLocale>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    static const QLocale locales[] = {QLocale(QLocale::English, QLocale::UnitedStates),
                                      QLocale(QLocale::German, QLocale::Germany),
                                      QLocale(QLocale::French, QLocale::France),
                                      QLocale(QLocale::Hindi, QLocale::India)};
    QLocale::setDefault(locales[data[0] % 4]);
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    const double n = ReadCellNumber(text);
    if (!std::isfinite(n))
        __builtin_trap();
    double d = 0;
    ParseCellDate(text, d);
    double money = 0;
    ParseCellCurrency(text, money);

    // Every type change of a cell holding the text.
    for (int type = 1; type <= 5; ++type) {
        CTableCell cell;
        cell.SetText(text);
        cell.SetDataType(type);
        (void)cell.GetText();
        (void)cell.GetNumber();
    }
    // Numbers built from the bytes, written with and without grouping and decimals.
    if (size >= 9) {
        double v;
        std::memcpy(&v, data + 1, sizeof v);
        const int decimals = int(data[0] % 25) - 2;
        const std::string shown = FormatCellNumber(v, decimals, false);
        const std::string plain = FormatCellNumber(v, decimals, true);
        if (shown.empty() || plain.empty() || shown.size() > 400)
            __builtin_trap();
        if (std::isfinite(v) && decimals < 0 && std::fabs(v) < 1e15) {
            // The plain text reads back as the value shown (six places at most).
            const double back = ReadCellNumber(plain);
            if (std::fabs(back - v) > 1e-6 * std::max(1.0, std::fabs(v)))
                __builtin_trap();
        }
    }
    return 0;
}
