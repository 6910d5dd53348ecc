// The main window's template in dialog units, and their conversion to pixels.
#pragma once

#include "app/dialog_host.h"

// Average character width and height of the dialog font, in pixels.
struct DialogBaseUnits
{
    int x = 6;
    int y = 13;
};

// A control of the template: id, position and size in dialog units.
struct TemplateControl
{
    int id;
    int x, y, cx, cy;
};

// The main window's client size in dialog units, and its controls.
constexpr DlgSize kMainTemplateSize{358, 282};
constexpr TemplateControl kMainTemplate[] = {
    {IDC_INSTRUCTIONS, 7, 7, 344, 54},  {IDC_POINT_TABLE, 7, 63, 248, 40},
    {IDC_PICK_POINT1, 263, 63, 84, 14}, {IDC_PICK_POINT2, 263, 89, 84, 14},
    {IDC_LOAD_IMAGE, 7, 261, 74, 14},   {IDC_ACCEPT, 238, 261, 113, 14},
};

// a * b / c rounded to the nearest integer, halves away from zero.
int MulDiv(int a, int b, int c);

// Horizontal units are a quarter of the average character width, vertical ones an eighth of
// the character height.
int DialogUnitsToPixelsX(int units, const DialogBaseUnits& base);
int DialogUnitsToPixelsY(int units, const DialogBaseUnits& base);
DlgRect DialogUnitsToPixels(const TemplateControl& control, const DialogBaseUnits& base);
