// The point table of the main window: a grid of two rows (point #1 and #2) and four columns
// (pixel X, pixel Y, latitude, longitude) under headings, with the two cell formats that show
// its coordinates in the current notation. Typing, double click and F2 open the upper-case
// editor; Tab and Shift+Tab walk along the rows; an edit is checked when it ends; a coordinate
// is stored in the current notation once the cursor leaves it. What the table needs of the
// window around it comes through a PointTableOwner.
#pragma once

#include "georef/point_table.h"
#include "grid/widgets/table_grid.h"

// Shows a coordinate cell's text as its owner displays it, as a latitude or a longitude; the
// stored text stays as it is.
class CCoordinateFormat : public CTableCellFormat
{
public:
    CCoordinateFormat(const PointTableOwner& owner, bool longitude)
        : m_owner(owner), m_longitude(longitude)
    {}
    void ApplyFormat(CTableCell& cell) override;

private:
    const PointTableOwner& m_owner;
    bool m_longitude;
};

class CLatitudeFormat : public CCoordinateFormat
{
public:
    explicit CLatitudeFormat(const PointTableOwner& owner) : CCoordinateFormat(owner, false) {}
};

class CLongitudeFormat : public CCoordinateFormat
{
public:
    explicit CLongitudeFormat(const PointTableOwner& owner) : CCoordinateFormat(owner, true) {}
};

class CPointGrid : public CTableGrid
{
    Q_OBJECT
public:
    // The owner must outlive the table.
    explicit CPointGrid(PointTableOwner& owner, QWidget* parent = nullptr);

    // Fits the columns to their contents, headings included, stretches the four data columns
    // to the table's width and redraws.
    void FitColumns();
    // The font of the cells, as set up.
    const TableFont& CellFont() const { return m_fontCells; }

protected:
    void SetupGrid() override;
    void CurrentCellChanged(int oldColumn, int newColumn, int oldRow, int newRow) override;
    void CellDoubleClicked(int column, int row, const TableRect& rect, TablePoint point,
                           bool processed) override;
    void KeyPressed(int& key, bool processed) override;
    void CharTyped(int& ch, bool processed) override;
    int EditStarting(int column, int row, TableEditor*& editor) override;
    int EditEnding(int column, int row, TableEditor* editor, const std::string& text,
                   bool cancelled) override;
    int EditAdvancing(int oldColumn, int oldRow, int& newColumn, int& newRow) override;
    int HintText(int column, int row, int section, std::string& text) override;
    TableColor DefaultBackColor(int section) override;
    void DrawFocusFrame(TableDevice* device, const TableRect& rect) override;
    void FocusLeaving(int section, const void* window) override;
    void ViewEditCommitted(int column, int row) override;

private:
    std::string StoredText(int column, int row);

    PointTableOwner& m_owner;
    TableFont m_fontCells;
    CLatitudeFormat m_latitudeFormat;
    CLongitudeFormat m_longitudeFormat;
    std::string m_textBeforeEdit; // the edited cell's stored text when the edit began
};
