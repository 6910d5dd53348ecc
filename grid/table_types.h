// Plain value types shared by the grid's model and its windows: rectangles and sizes in
// pixels, colours, font and pen descriptions, key codes and modifier flags, section codes,
// and the system colours the cells fall back to.
#pragma once

#include "platform/geometry.h"

#include <cstdint>
#include <string>

// A colour as 0x00BBGGRR (red in the low byte).
using TableColor = uint32_t;

constexpr TableColor TableRgb(int r, int g, int b)
{
    return TableColor(r & 0xFF) | (TableColor(g & 0xFF) << 8) | (TableColor(b & 0xFF) << 16);
}

// Rectangles (right and bottom exclusive), sizes and points in pixels.
using TableRect = nv::Rect;
using TableSize = nv::Size;
using TablePoint = nv::Point;

// A range of cells, bounds inclusive.
struct TableRange
{
    int left = 0;
    int top = 0;
    int right = -1;
    int bottom = -1;

    bool Contains(int column, int row) const
    {
        return column >= left && column <= right && row >= top && row <= bottom;
    }
    bool IsEmpty() const { return right < left || bottom < top; }
    bool operator==(const TableRange&) const = default;
};

// A full font description; fonts are compared by it when they are added to a grid.
struct TableFont
{
    int32_t height = 0; // negative: character height in pixels
    int32_t width = 0;
    int32_t escapement = 0;
    int32_t orientation = 0;
    int32_t weight = 400;
    uint8_t italic = 0;
    uint8_t underline = 0;
    uint8_t strikeOut = 0;
    uint8_t charSet = 0;
    uint8_t outPrecision = 0;
    uint8_t clipPrecision = 0;
    uint8_t quality = 0;
    uint8_t pitchAndFamily = 0;
    std::string faceName; // at most 31 bytes

    bool operator==(const TableFont&) const = default;
};

enum class TablePenStyle { solid, dash, dot, none };

struct TablePen
{
    TablePenStyle style = TablePenStyle::solid;
    int width = 1;
    TableColor color = 0;
    bool operator==(const TablePen&) const = default;
};

// A picture shown in a cell. The drawing layer derives from this; the model needs only its
// size (a bitmap is scaled to the row height when a column is fitted).
class TableBitmap
{
public:
    virtual ~TableBitmap() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
};

// Whatever the drawing layer paints on; the model only passes it through to hooks.
class TableDevice;

// The grid's component sections, as reported to hooks.
enum TableSection {
    kSectionCells = 1,
    kSectionTopHeading = 2,
    kSectionSideHeading = 3,
    kSectionCorner = 4,
    kSectionHorizontalBar = 5,
    kSectionVerticalBar = 6,
    kSectionTabs = 7,
};

// Key codes the grid reacts to (the drawing layer maps its own keys onto these). Letters and
// digits are their upper-case ASCII codes.
namespace TableKey {
constexpr int back = 0x08;
constexpr int tab = 0x09;
constexpr int enter = 0x0D;
constexpr int escape = 0x1B;
constexpr int space = 0x20;
constexpr int pageUp = 0x21;
constexpr int pageDown = 0x22;
constexpr int end = 0x23;
constexpr int home = 0x24;
constexpr int left = 0x25;
constexpr int up = 0x26;
constexpr int right = 0x27;
constexpr int down = 0x28;
constexpr int insert = 0x2D;
constexpr int del = 0x2E;
constexpr int f1 = 0x70;
constexpr int f2 = 0x71;
} // namespace TableKey

// Modifier and mouse-button flags, as carried with mouse events.
namespace TableKeyFlags {
constexpr int leftButton = 0x1;
constexpr int rightButton = 0x2;
constexpr int shift = 0x4;
constexpr int control = 0x8;
constexpr int middleButton = 0x10;
constexpr int alt = 0x20;
} // namespace TableKeyFlags

// How the next move of the current cell feeds the selection.
enum TableKeyStateMode {
    kKeyStateKeyboard = 0,
    kKeyStateLeftButton = 1,
    kKeyStateRightButton = 2,
    kKeyStateMouseDrag = 3,
    kKeyStateScrollBar = 4,
};

// The system colours the grid uses.
enum class TableSystemColor {
    window,
    windowText,
    highlight,
    highlightText,
    buttonFace,
    buttonShadow,
    buttonHighlight,
    infoBackground,
    grayText, // text of a disabled window
    count
};

// The current value of a system colour. The drawing layer sets them from its palette; until
// then the classic desktop values apply.
TableColor GetTableSystemColor(TableSystemColor which);
void SetTableSystemColor(TableSystemColor which, TableColor color);
