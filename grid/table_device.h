// What the grid draws on: a small set of drawing and measuring primitives in the coordinates of
// the window being painted. The cell types and the paint passes of the model compose cells from
// them; the window layer implements them over its painter, and tests record them.
#pragma once

#include "grid/table_types.h"

#include <string_view>
#include <vector>

// How Text places and breaks a string in its rectangle.
namespace TableTextFlag {
constexpr unsigned left = 0x0;
constexpr unsigned centre = 0x1; // horizontally
constexpr unsigned right = 0x2;
constexpr unsigned top = 0x0;
constexpr unsigned middle = 0x4; // vertically
constexpr unsigned bottom = 0x8;
constexpr unsigned wordWrap = 0x10; // several lines, broken between words
constexpr unsigned ellipsis = 0x20; // one line ending in "..." when it does not fit
} // namespace TableTextFlag

class TableDevice
{
public:
    virtual ~TableDevice() = default;

    virtual void FillRect(const TableRect& rect, TableColor color) = 0;
    // An 8 x 8 checker of two colours, for indeterminate check boxes.
    virtual void FillChecker(const TableRect& rect, TableColor first, TableColor second) = 0;
    // A line from (x1, y1) to (x2, y2), both ends included.
    virtual void Line(int x1, int y1, int x2, int y2, const TablePen& pen) = 0;
    // A filled polygon without an outline.
    virtual void Polygon(const std::vector<TablePoint>& points, TableColor color) = 0;
    // A circle or ellipse inside rect, outlined and optionally filled.
    virtual void Ellipse(const TableRect& rect, TableColor outline, const TableColor* fill) = 0;
    // Text in rect, clipped to clip; a null font is the window's default font.
    virtual void Text(const TableRect& rect, const TableRect& clip, std::string_view text,
                      const TableFont* font, TableColor color, unsigned flags) = 0;
    // The size text takes: one line, or broken into lines of at most width with wordWrap.
    virtual TableSize TextExtent(std::string_view text, const TableFont* font, unsigned flags,
                                 int width) = 0;
    // The height of a line of text in the font.
    virtual int FontHeight(const TableFont* font) = 0;
    // A picture scaled into rect.
    virtual void Bitmap(const TableBitmap& bitmap, const TableRect& rect) = 0;
    // The dotted frame of the focused cell.
    virtual void FocusRect(const TableRect& rect) = 0;
    // Drawing outside rect has no effect until the clip is restored.
    virtual void PushClip(const TableRect& rect) = 0;
    virtual void PopClip() = 0;
    // Whether the output goes to a printer.
    virtual bool IsPrinting() const { return false; }
};
