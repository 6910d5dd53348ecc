// The point table's rules, without its window: its layout (one row per control point, pixel
// X, pixel Y, latitude and longitude), what it needs from the window that owns it, where Tab
// and Shift+Tab take the cursor, which cell an edit goes on to, and the hint over a cell.
#pragma once

#include <string>

// Columns of the point table. Row 0 holds point #1, row 1 point #2.
enum PointTableColumn {
    kPixelXColumn = 0,
    kPixelYColumn = 1,
    kLatitudeColumn = 2,
    kLongitudeColumn = 3,
};
constexpr int kPointTableColumns = 4;
constexpr int kPointTableRows = 2;

// What the point table asks of its owner (the main window's controller).
class PointTableOwner
{
public:
    virtual ~PointTableOwner() = default;
    // A coordinate cell's text as the table shows it: in the current notation when it parses,
    // unchanged otherwise (and until the window is set up).
    virtual std::string DisplayCoordinate(const std::string& text, bool longitude) const = 0;
    // The text a coordinate cell keeps once the cursor has left it: in the current notation
    // when it parses, unchanged otherwise.
    virtual std::string NormaliseCoordinate(const std::string& text, bool longitude) const = 0;
    // The check of a cell whose edit ends; shows why a text is refused when showMessage is set.
    virtual bool ValidateCell(int column, const std::string& text, bool showMessage) const = 0;
    // An edit has changed the text of a cell.
    virtual void OnPointCellChanged(int column, int row) = 0;
};

struct PointTableCell
{
    int column = 0;
    int row = 0;
    bool operator==(const PointTableCell&) const = default;
};

// Where Tab (back: Shift+Tab) takes the cursor when no edit is open: the next cell along the
// rows (the previous one going back). The first and the last cell keep the cursor.
PointTableCell PointTableTabTarget(PointTableCell from, bool back);

// Where an edit goes on when it ends with a key that continues editing (Enter, Tab, the
// arrows): the next cell along the rows, from the last cell back to the first; with Shift+Tab
// the previous cell. False for Shift+Tab in the first cell, where the grid's own choice (the
// end of the same row) stands.
bool PointTableContinueTarget(PointTableCell from, bool shiftTab, PointTableCell& to);

// The hint over a cell showing text: the whole text of a data cell that is not empty; none
// (false) for an empty cell and for headings.
bool PointTableHint(int column, int row, const std::string& shown, std::string& hint);
