// Dialog units on this platform's windows: the dialog font's base units, and a template
// control's rectangle in pixels.
#pragma once

#include "app/dialog_units.h"

#include <QFontMetrics>
#include <QRect>

// A quarter of the average character width and an eighth of the height make one dialog unit.
DialogBaseUnits DialogBaseUnitsOf(const QFontMetrics& fm);

QRect TemplateRect(const TemplateControl& control, const DialogBaseUnits& base);
