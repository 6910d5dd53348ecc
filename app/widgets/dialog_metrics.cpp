// Dialog units on this platform's windows.
#include "app/widgets/dialog_metrics.h"

DialogBaseUnits DialogBaseUnitsOf(const QFontMetrics& fm)
{
    const int letters =
        fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return {(letters / 26 + 1) / 2, fm.height()};
}

QRect TemplateRect(const TemplateControl& control, const DialogBaseUnits& base)
{
    const DlgRect r = DialogUnitsToPixels(control, base);
    return QRect(r.left, r.top, r.Width(), r.Height());
}
