// Dialog units.
#include "app/dialog_units.h"

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const long long product = static_cast<long long>(a) * b;
    const long long half = (c < 0 ? -c : c) / 2;
    const bool negative = (product < 0) != (c < 0);
    const long long magnitude = ((product < 0 ? -product : product) + half) / (c < 0 ? -c : c);
    return int(negative ? -magnitude : magnitude);
}

int DialogUnitsToPixelsX(int units, const DialogBaseUnits& base)
{
    return MulDiv(units, base.x, 4);
}

int DialogUnitsToPixelsY(int units, const DialogBaseUnits& base)
{
    return MulDiv(units, base.y, 8);
}

DlgRect DialogUnitsToPixels(const TemplateControl& c, const DialogBaseUnits& base)
{
    const int left = DialogUnitsToPixelsX(c.x, base);
    const int top = DialogUnitsToPixelsY(c.y, base);
    return {left, top, left + DialogUnitsToPixelsX(c.cx, base),
            top + DialogUnitsToPixelsY(c.cy, base)};
}
