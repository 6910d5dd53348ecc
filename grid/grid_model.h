// The grid without its windows: sheets with their columns, rows, heading cells and sizes;
// reading and writing cells through the data sources; moving the current cell with its
// notifications; keys, the editing cycle, pasting, finding, column fitting and the layout.
// Behaviour is customised by overriding the hooks (the protected virtual functions below,
// whose defaults allow and do nothing). The drawing layer derives from this class, overrides
// the View* services to move, paint and focus its windows, and feeds it input.
//
// Results follow one rule: 0 success, 1 an index or count out of range, 2 a size out of range
// or a move refused by a hook. Negative indexes address heading cells: column -1 is the
// heading column next to the cells, row -1 the heading row next to them, (-1, -1) the corner.
#pragma once

#include "grid/cell_type.h"
#include "grid/data_source.h"
#include "grid/editor.h"
#include "grid/grid_layout.h"
#include "grid/selection.h"
#include "grid/tab_strip.h"
#include "grid/table_cell.h"
#include "grid/table_sheet.h"
#include "grid/table_types.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Where the focus went when an editor lost it.
enum class TableFocusTarget {
    grid,      // the grid itself
    gridChild, // one of the grid's windows
    outside,   // another window
    none,      // no window
};

// Scroll-bar actions.
enum class TableScrollAction {
    lineUp,
    lineDown,
    pageUp,
    pageDown,
    top,
    bottom,
    thumbPosition,
    thumbTrack
};

// A request of the find/replace dialog.
struct TableFindRequest
{
    std::string findText;
    std::string replaceText;
    bool matchCase = false;
    bool wholeWord = false;
    bool searchDown = true;
    bool replace = false;    // replace the current cell, then find the next
    bool replaceAll = false; // replace every match
};

// Bits of the section mask given to ViewRepaint.
namespace TableRepaint {
constexpr unsigned cells = 1u << kSectionCells;
constexpr unsigned topHeading = 1u << kSectionTopHeading;
constexpr unsigned sideHeading = 1u << kSectionSideHeading;
constexpr unsigned corner = 1u << kSectionCorner;
constexpr unsigned horizontalBar = 1u << kSectionHorizontalBar;
constexpr unsigned verticalBar = 1u << kSectionVerticalBar;
constexpr unsigned tabs = 1u << kSectionTabs;
constexpr unsigned all =
    cells | topHeading | sideHeading | corner | horizontalBar | verticalBar | tabs;
} // namespace TableRepaint

class CTableGridModel : public TableDataSourceHost, private TableSelectionListener
{
public:
    CTableGridModel();
    ~CTableGridModel() override;
    CTableGridModel(const CTableGridModel&) = delete;
    CTableGridModel& operator=(const CTableGridModel&) = delete;

    // Runs the set-up: hook SetupGrid, hook SetupSheet(0), then painting on, layout and a
    // full repaint. The drawing layer calls it once its windows exist.
    void RunSetup();
    // Whether the window takes input; a disabled grid draws its text grey and no highlight.
    virtual bool ViewIsEnabled() const { return true; }

    // ---- Cell types, editors, fonts
    // Registers a cell type (its index is its position); the grid's drawing layer registers
    // normal, drop list, check box and side arrows as 0 to 3.
    int RegisterCellType(std::unique_ptr<TableCellTypeBase> type);
    int GetCellTypeCount() const { return int(m_cellTypes.size()); }
    // The type of that index; the normal type (index 0, or a built-in one while none is
    // registered) for anything absent, <= 0 or unknown.
    TableCellTypeBase* GetCellTypeObject(int index);
    // The type that handles the cell (read with GetCell).
    TableCellTypeBase* GetCellType(int column, int row);
    // Whether the plain editor may grow with its text now: its own switch, the sheet's overflow
    // switch and the edited cell's type allow it.
    bool EditorMayGrow(const TableEditor* editor);
    // The grid's own editors (not owned). Without them the grid uses in-memory editors.
    void SetEditors(TableEditor* plain, TableEditor* masked);
    // Adds a font, or counts one more use of an equal one; returns its index. A face name
    // longer than 31 bytes is taken as empty.
    int AddFont(const TableFont& font);
    const TableFont* GetFont(int index) const;
    int GetFontUseCount(int index) const;
    int SetDefaultFont(const TableFont* font);
    // Takes the font of the window the grid sits in: adds it and makes it the sheet's default
    // font, and adds a copy 200 heavier for the heading cells. Returns the font's index.
    int TakeWindowFont(const TableFont& font);
    // The system colours changed: the heading cells' background follows the button face and
    // every cell type is told.
    void OnSystemColorsChanged();

    // ---- Sheets
    TableSheet& Sheet() { return *m_sheet; }
    const TableSheet& Sheet() const { return *m_sheet; }
    int GetSheetCount() const { return int(m_sheets.size()); }
    int GetCurrentSheet() const { return m_currentSheet; }
    // 1..1024 sheets (else 1); new sheets are announced with hook SetupSheet.
    int SetSheetCount(int count);
    int SelectSheet(int index, bool redraw = true);

    // ---- Counts
    // 0..32000 columns (else 1).
    int SetColumnCount(int count, bool redraw = true);
    // Any count >= 0 (else 1); above 64000 rows heights become uniform.
    int SetRowCount(int count, bool redraw = true);
    int GetColumnCount() const { return m_sheet->columnCount; }
    int GetRowCount() const { return m_sheet->rowCount; }

    // ---- Cells
    // The stored cell only: cell's flag word is cleared, then the data source copies in what
    // it holds (0, or the source's result). 1 for a column past the table.
    int GetCellRaw(int column, int row, CTableCell& cell);
    // The cell as shown: heading or column defaults, then the stored cell, hook CellRead, the
    // format object and the style cell. Returns 0.
    int GetCell(int column, int row, CTableCell& cell);
    // Calls hook CellWriting, then stores the cell. 1 outside the headings and the table (a
    // row equal to the row count may be written ahead of growing the table).
    int SetCell(int column, int row, const CTableCell& cell);
    // The text GetCell gives.
    std::string GetCellText(int column, int row);
    // Sets the stored cell's text, keeping its other properties.
    int SetCellText(int column, int row, std::string_view text);
    // The column's default-properties cell; null outside the table.
    CTableCell* GetColumnDefaultCell(int column);
    // Stores a column in another data source under sourceColumn (null: the default source).
    int SetColumnDataSource(int column, CTableDataSource* source, int sourceColumn);

    // ---- Sizes
    int GetColumnWidth(int column) const { return m_sheet->ColumnWidth(column); }
    int GetRowHeight(int row) const { return m_sheet->RowHeight(row); }
    // Table columns: the visible cells' types and hook ColumnSized see the width first (a
    // negative width is 2). Heading columns take 0..1024 (else 2). Anything else is 1.
    int SetColumnWidth(int column, int width);
    // The same for rows; with uniform heights the default height changes.
    int SetRowHeight(int row, int height);
    void SetUniformRowHeights(bool uniform);
    bool HasUniformRowHeights() const { return m_sheet->uniformHeights; }
    int SetDefaultRowHeight(int height);
    int SetDefaultColumnWidth(int width);
    // 0..1024 (else 1); the heading rows (columns) are scaled in proportion.
    int SetTopHeadingHeight(int height);
    int SetSideHeadingWidth(int width);
    // Number of heading rows (columns), 1..64 (else 1); new ones get the default size.
    int SetTopHeadingRows(int count);
    int SetSideHeadingColumns(int count);
    // 0 up to the column (row) count, else 1.
    int LockColumns(int count);
    int LockRows(int count);

    // ---- The view
    // The control's client size; lays everything out again.
    void SetClientSize(int width, int height);
    int GetClientWidth() const { return m_clientWidth; }
    int GetClientHeight() const { return m_clientHeight; }
    // The layout pass.
    void RecalcLayout();
    // With painting on: lays out and repaints every component.
    int RedrawAll();
    // Repaints one cell; a negative column or row repaints the whole side or top heading.
    void RedrawCell(int column, int row);
    void SetPainting(bool on) { m_sheet->painting = on; }
    int GetLeftColumn() const { return m_sheet->leftColumn; }
    int GetRightColumn() const { return m_sheet->rightColumn; }
    int GetTopRow() const { return m_sheet->topRow; }
    int GetBottomRow() const { return m_sheet->bottomRow; }
    // The rectangle of a cell in the cell area (a joined block's whole rectangle with
    // joining on), or of a range; false outside the table.
    bool GetCellRect(int column, int row, TableRect& rect);
    bool GetRangeRect(const TableRange& range, TableRect& rect);
    bool HitTest(int x, int y, int& column, int& row) const;
    // How a cell is painted: the current cell (any cell of the current row with whole-row
    // highlighting) is current with selection value 0; any other cell has the index + 1 of the
    // selection block that selects it, or 0.
    void GetCellPaintState(int column, int row, int& selectionValue, bool& current) const;
    // The parts of the cell area (in its coordinates) that show cells of range: at most one
    // rectangle per locked and scrolled part, clipped to the area; none when nothing is shown.
    std::vector<TableRect> VisibleRangeRects(const TableRange& range) const;

    // ---- Painting, through a device in the coordinates of the window painted
    // Says whether a rectangle needs painting in this pass.
    using DirtyTest = std::function<bool(const TableRect&)>;
    // Paints the cell area: every cell whose rectangle dirty accepts (a joined block whole,
    // once), and cells that the pass adds to the redraw list itself (text running into an empty
    // neighbour) when they come later in it; then the separators of locked rows and columns,
    // the empty space right of and below the table in DefaultBackColor(1), and, when focused
    // and no edit is open, the focus frame through hook DrawFocusFrame. Returns the ranges the
    // pass added but could not paint, for the next pass.
    std::vector<TableRange> PaintCellArea(TableDevice& device, const DirtyTest& dirty,
                                          bool focused);
    // The heading rows over the visible columns (the column being moved painted selected), and
    // the empty space right of them in DefaultBackColor(2).
    void PaintTopHeading(TableDevice& device, const DirtyTest& dirty, int width, int height);
    // The heading columns beside the visible rows, and the space below in DefaultBackColor(3).
    void PaintSideHeading(TableDevice& device, const DirtyTest& dirty, int width, int height);
    // The corner cell over the whole corner.
    void PaintCorner(TableDevice& device, int width, int height);
    // The sheet tabs with their two scroll arrows, and the grip at the strip's right edge.
    void PaintTabs(TableDevice& device, int width, int height);
    // Cells painted by the last PaintCellArea (joined blocks count once).
    int GetLastPaintedCellCount() const { return m_lastPaintedCells; }
    // The font the tabs are labelled in.
    static const TableFont& TabFont();

    // ---- Services the cell types ask of the grid
    // A device to measure text with when nothing is painted (null without windows).
    TableDevice* MeasuringDevice() { return ViewMeasuringDevice(); }
    // Shows the choices of a drop list under the cell at rect (cell-area coordinates); the
    // owner hears of the choice or of the list closing. False when no list can be shown.
    bool ShowDropList(TableDropListOwner* owner, const TableRect& rect,
                      const std::vector<std::string>& choices, const TableFont* font)
    {
        return ViewShowDropList(owner, rect, choices, font);
    }
    void CloseDropList() { ViewCloseDropList(); }

    // ---- The cursor
    int GetCurrentColumn() const { return m_sheet->currentColumn; }
    int GetCurrentRow() const { return m_sheet->currentRow; }
    int GetDragColumn() const { return m_sheet->dragColumn; }
    int GetDragRow() const { return m_sheet->dragRow; }
    // 0..3 (else 1).
    int SetCurrentCellStyle(int style);
    // Makes the cell current, subject to the data source's CanMove and the hooks
    // CanMoveCurrent and (when the view has to scroll) CanScrollView: 0 moved (or already
    // there), 1 outside the table, 2 refused.
    int GotoCell(int column, int row);
    // Move the drag cell along one coordinate; a target past the last column (row) goes to the
    // last one (1 when it already is there), a negative one to the first.
    int GotoColumn(int column);
    int GotoRow(int row);
    // Kinds: 0 back one, 1 forward one, 2 back a page, 3 forward a page, 4 first, 5 last.
    int MoveCurrentRow(int kind);
    int MoveCurrentColumn(int kind);
    int MoveTopRow(int kind);
    int MoveLeftColumn(int kind);
    // Scrolls so that row (column) comes first, within the allowed range.
    int SetTopRow(int row);
    int SetLeftColumn(int column);
    int SelectRange(int firstColumn, int firstRow, int lastColumn, int lastRow);
    // Modifier keys and mouse buttons held now (TableKeyFlags), kept up to date by the
    // drawing layer.
    void SetModifierKeys(int flags) { m_modifierKeys = flags; }
    int GetModifierKeys() const { return m_modifierKeys; }

    // ---- Switches
    int EnablePopupMenu(bool enable);
    int UseHints(bool use);
    int SetCancelEditOnFocusLoss(bool cancel);
    void SetBlockSelection(bool on) { m_sheet->blockSelection = on; }
    void SetJoining(bool on) { m_sheet->joining = on; }
    void SetKeyAcceleration(int divisor, int firstRepeatDelay);
    // Whether searches go along rows first (otherwise down columns).
    void SetSearchAlongRows(bool alongRows) { m_searchAlongRows = alongRows; }

    // ---- Joined blocks
    // The block the cell belongs to (joining on and the cell joined); false otherwise.
    bool GetJoinedBlock(int column, int row, TableRange& block);
    // The same for a cell of the top heading (row < 0) or the side heading (column < 0); the
    // block stays within its heading.
    bool GetHeadingJoinedBlock(int column, int row, TableRange& block);

    // ---- Input
    // A key pressed in the cell area; returns 1 when the grid moved or the cell type processed
    // it (a window lets other keys go on to its parent).
    int OnKeyDown(int key);
    void OnKeyUp(int key);
    void OnChar(int ch);
    // Scroll-bar actions of the vertical (kSectionVerticalBar) or horizontal bar.
    void OnScroll(int section, TableScrollAction action, int thumbPosition = 0);
    // Mouse buttons and moves in the cell area, in cell-area coordinates.
    void OnCellAreaButtonDown(bool right, TablePoint point, int keyFlags);
    void OnCellAreaButtonUp(bool right, TablePoint point, int keyFlags);
    void OnCellAreaDoubleClick(TablePoint point, int keyFlags);
    // Returns, while the left button is held after a press in the area, the milliseconds after
    // which DragRound should run again with the same point (the mouse standing still keeps
    // extending the selection and scrolling); -1 otherwise.
    int OnCellAreaMouseMove(TablePoint point, int keyFlags);
    // One round of the selection drag loop at point: the drag cell follows the cell under the
    // point, or the view scrolls towards a point beyond the area's edges. Returns the wait
    // before the next round, or -1 when the loop has ended.
    int DragRound(TablePoint point);
    // Whether a press at point, in the cell area, may start dragging the text of the cell
    // under it out of the grid: text dragging is on, no edit is open and the cell is the
    // current cell.
    bool CanStartTextDrag(TablePoint point) const;
    // The text of the selected cells (the current cell without a selection): fields separated
    // by tabs, rows by line feeds, as PasteText takes it back.
    std::string CopyText();
    // Mouse buttons in a heading or the corner (section 2, 3 or 4), in that window's
    // coordinates: the heading hooks, and dragging a column in the top heading to move it.
    void OnHeadingButtonDown(int section, bool right, TablePoint point, int keyFlags);
    void OnHeadingButtonUp(int section, bool right, TablePoint point, int keyFlags);
    void OnHeadingDoubleClick(int section, TablePoint point, int keyFlags);
    // The column being dragged to a new place, or -1.
    int GetMovingColumn() const { return m_movingColumn; }
    // Heading cell under a point of the top heading (row < 0) or side heading (column < 0).
    bool HitTestHeading(int section, TablePoint point, int& column, int& row) const;
    // The tab strip: tabs are added with their label measured in the tab font.
    TableTabStrip& TabStrip() { return m_tabs; }
    int AddTab(const std::string& label, int id);
    // A click in the tab strip at x: the arrows scroll it, a tab becomes current and hook
    // TabSelected is told its id.
    void OnTabClick(int x);
    // Whether x (tab-strip coordinates) is on the strip's right edge, where it is sized.
    bool IsTabStripGrip(int x) const;
    // The width of the arrows at the left of the tab strip (each).
    int TabArrowWidth() const;
    // Something dragged over the cell area at point: within 10 pixels of the left or right
    // edge the view scrolls one column that way, otherwise within 10 pixels of the top or
    // bottom edge one row.
    void OnDragOverCellArea(TablePoint point);
    // A text dropped on a cell: hook Drop decides, and an accepted text is pasted there.
    int OnDrop(const std::string& text, int column, int row);
    // Shows the context menu at point (ViewTrackPopupMenu): 0 shown, 1 disabled, 2 refused by
    // hook MenuRequested, 3 the menu failed. Commands from 1000 on go to MenuCommandChosen.
    int ShowPopupMenu(int column, int row, int section, TablePoint point);
    // The help context of the current cell (help key held) or of the cell at point.
    int GetHelpContext(bool helpKeyHeld, TablePoint point);

    // ---- Sizing and moving by dragging
    // The top-heading column whose right edge is within 3 pixels of x (top-heading
    // coordinates) and that hook CanSizeColumn lets size; a following column of width 0 takes
    // the grip. -1 when none.
    int ColumnSizingGrip(int x);
    // One step of dragging a column edge: the new width is startWidth + (x - startX), not less
    // than 0; the visible cells' types and hook ColumnSizing see it, then it is stored.
    int ColumnSizingStep(int column, int startWidth, int startX, int x);
    // The end of the drag: the cells' types and hook ColumnSized see the final width, which is
    // stored when it changed, and everything is laid out again.
    int ColumnSizingEnd(int column, int startWidth, int startX, int x);
    // The same for a row edge dragged in the side heading.
    int RowSizingStep(int row, int startHeight, int startY, int y);
    int RowSizingEnd(int row, int startHeight, int startY, int y);
    // The row whose bottom edge is within 3 pixels of y (side-heading coordinates) and that hook
    // CanSizeRow lets size; a following row of height 0 takes the grip. -1 when none.
    int RowSizingGrip(int y);
    // The heading row (-1 next to the cells, further ones below -1) whose bottom edge in the top
    // heading is within 3 pixels of y, when hook CanSizeTopHeading allows; 0 when none. The
    // same for heading columns and x in the side heading (hook CanSizeSideHeading).
    int HeadingRowGrip(int y) { return HeadingGrip(true, y); }
    int HeadingColumnGrip(int x) { return HeadingGrip(false, x); }
    // Dragging a heading row's edge: the row and the top-heading height change by the same
    // amount (not below 0) when hook TopHeadingSizing accepts the new height; the end tells
    // hook TopHeadingSized. The same for heading columns and the side-heading width.
    int HeadingRowSizingStep(int row, int startHeight, int startY, int y)
    {
        return HeadingSizingStep(true, row, startHeight, startY, y);
    }
    int HeadingRowSizingEnd();
    int HeadingColumnSizingStep(int column, int startWidth, int startX, int x)
    {
        return HeadingSizingStep(false, column, startWidth, startX, x);
    }
    int HeadingColumnSizingEnd();
    // The corner's grips: 1 when (x, y) is in the last 4 pixels at its right edge (side-heading
    // width, hook CanSizeSideHeading), 2 in the last 4 at its bottom edge (top-heading height,
    // hook CanSizeTopHeading), 0 otherwise.
    int CornerGrip(int x, int y);
    // The new size is the mouse position (not below 0), after hook SideHeadingSizing or
    // TopHeadingSizing has seen and accepted it; the end calls the -Sized hook.
    int CornerSizingStep(int grip, int position);
    int CornerSizingEnd(int grip);
    // A column dragged in the top heading and released over another takes that column's
    // place: hook ColumnDropped(from, over) must allow, then the column moves and hook
    // ColumnMoved(from, over) is told. 0 moved, 1 nothing to move, 2 refused.
    int DropColumn(int fromColumn, int overColumn);
    // The tab strip's width, at least 40 (0 hides the tabs).
    void SetTabWidth(int width);

    // ---- Editing
    // Opens the in-place editor on the current cell, or on (column, row); key, when non-zero,
    // is typed into it. 0 started, 1 refused, 2 the cell could not be made current.
    int StartEdit(int key = 0);
    int StartEdit(int column, int row, int key);
    // Ends the edit: 1 closed or moved on to the next cell, 0 refused (still editing).
    int FinishEdit(const std::string& text, bool cancelled, bool continueEdit, int nextColumn,
                   int nextRow);
    bool IsEditing() const { return m_editing; }
    int GetEditColumn() const { return m_editColumn; }
    int GetEditRow() const { return m_editRow; }
    TableEditor* GetActiveEditor() const { return m_activeEditor; }
    // A key pressed in the editor. Returns true when the editor should handle it as usual;
    // keys that end the edit record it on the editor and give the grid the focus.
    bool OnEditorKeyDown(int key);
    // A character typed in the editor; true when it may be typed (the data source and hook
    // EditKey may change it). Tab, CR and Escape are swallowed.
    bool OnEditorChar(int& ch);
    // The editor lost the focus: ends the edit with what the keys recorded. When the grid
    // refuses, it moves back to the edited cell and the editor takes the focus again.
    int OnEditorFocusLost(TableFocusTarget target, const void* window = nullptr);

    // ---- Pasting, moving columns, finding, sorting
    // Splits text at tab (next column) and CR/LF (next row, back to the start column) from
    // the current cell; fields go into cells that are not read-only, positions outside the
    // table are skipped; the block covered is then selected. A line break at the very end
    // starts no further row. 1 when there is no current cell.
    int PasteText(std::string_view text);
    int MoveColumn(int from, int to, bool insertBefore);
    // The search flags of a dialog request.
    int FindFlagsFor(const TableFindRequest& request) const;
    // Runs a find, replace or replace-all request from the current cell: 0 found (the cell
    // found is current), 1 nothing (more) found, after ViewNotFound.
    int OnFindReplace(const TableFindRequest& request);
    // Sorts the rows of the default data source by the display columns in keyColumns.
    int SortRows(int firstRow, int lastRow, const std::vector<int>& keyColumns, int flags);

    // ---- Hooks. Defaults allow and do nothing unless stated.
    virtual int FitColumnsToWindow(int firstColumn, int lastColumn);
    virtual int BestFitColumns(int firstColumn, int lastColumn, int rows, int flags);
    virtual void SetupGrid() {}
    virtual void SetupSheet(int index) { (void)index; }
    virtual int CanMoveCurrent(int oldColumn, int oldRow, int newColumn, int newRow);
    virtual int CanScrollView(int oldLeft, int oldTop, int newLeft, int newTop);
    virtual void RowsNeeded(int rowCount, int missingRows, int supplied);
    virtual int CanSizeColumn(int column);
    virtual void ColumnSizing(int column, int& width);
    virtual void ColumnSized(int column, int& width);
    virtual int CanSizeRow(int row);
    virtual void RowSizing(int row, int& height);
    virtual void RowSized(int row, int& height);
    virtual int CanSizeTopHeading();
    virtual int CanSizeSideHeading();
    virtual int TopHeadingSizing(int& height);
    virtual int SideHeadingSizing(int& width);
    virtual int TopHeadingSized(int& height);
    virtual int SideHeadingSized(int& width);
    virtual void CurrentColumnChanged(int oldColumn, int newColumn);
    virtual void CurrentRowChanged(int oldRow, int newRow);
    virtual void CurrentCellChanged(int oldColumn, int newColumn, int oldRow, int newRow);
    virtual void LeftColumnChanged(int oldColumn, int newColumn);
    virtual void TopRowChanged(int oldRow, int newRow);
    virtual void Scrolled(int section, int oldPosition, int newPosition);
    void SelectionChanged(const TableRange& bounds, int blockCount) override;
    virtual void CellClicked(int column, int row, bool down, const TableRect& rect,
                             TablePoint point, bool processed);
    virtual void CellRightClicked(int column, int row, bool down, const TableRect& rect,
                                  TablePoint point, bool processed);
    virtual void CellDoubleClicked(int column, int row, const TableRect& rect, TablePoint point,
                                   bool processed);
    virtual void MouseMoved(int column, int row, TablePoint point, int keyFlags, bool processed);
    virtual void TopHeadingClicked(int column, int row, bool down, const TableRect& rect,
                                   TablePoint point, bool processed);
    virtual void TopHeadingRightClicked(int column, int row, bool down, const TableRect& rect,
                                        TablePoint point, bool processed);
    virtual void TopHeadingDoubleClicked(int column, int row, const TableRect& rect,
                                         TablePoint point, bool processed);
    virtual void SideHeadingClicked(int column, int row, bool down, const TableRect& rect,
                                    TablePoint point, bool processed);
    virtual void SideHeadingRightClicked(int column, int row, bool down, const TableRect& rect,
                                         TablePoint point, bool processed);
    virtual void SideHeadingDoubleClicked(int column, int row, const TableRect& rect,
                                          TablePoint point, bool processed);
    virtual void CornerClicked(bool down, const TableRect& rect, TablePoint point, bool processed);
    virtual void CornerRightClicked(bool down, const TableRect& rect, TablePoint point,
                                    bool processed);
    virtual void CornerDoubleClicked(const TableRect& rect, TablePoint point, bool processed);
    virtual void KeyPressed(int& key, bool processed);
    virtual void KeyReleased(int& key, bool processed);
    virtual void CharTyped(int& ch, bool processed);
    virtual void CellRead(int sourceColumn, int row, CTableCell& cell);
    virtual void CellWriting(int column, int row, const CTableCell& cell);
    virtual int CellTypeNotify(int typeIndex, int column, int row, int message, intptr_t param);
    virtual int EditStarting(int column, int row, TableEditor*& editor);
    virtual int EditKey(int column, int row, TableEditor* editor, int& key);
    virtual int EditEnding(int column, int row, TableEditor* editor, const std::string& text,
                           bool cancelled);
    virtual int EditAdvancing(int oldColumn, int oldRow, int& newColumn, int& newRow);
    virtual void MenuCommandChosen(int column, int row, int section, int commandId);
    virtual int MenuRequested(int column, int row, int section);
    virtual int HelpContext(int column, int row, int section);
    // Default: "Col:<column> Row:<row>", shown.
    virtual int HintText(int column, int row, int section, std::string& text);
    virtual int RowScrollHintText(int row, std::string& text);
    virtual int ColumnScrollHintText(int column, std::string& text);
    virtual int DragEnter(int keyState);
    virtual int DragOver(const std::string& data, int column, int row);
    virtual int Drop(const std::string& data, int column, int row);
    // Default: CompareCellsForSort.
    int CompareForSort(const CTableCell* a, const CTableCell* b, int flags) override;
    virtual void SectionPainting(TableDevice* device, TableDevice* secondDevice, int section);
    virtual void AdjustComponentSizes(TableLayout& layout);
    virtual void TabSelected(int tabId);
    // Section 1: the system window colour; other sections: the button face.
    virtual TableColor DefaultBackColor(int section);
    // Default: the current cell's type draws the frame, or when it declines, a focus
    // rectangle one pixel inside the right and bottom edges.
    virtual void DrawFocusFrame(TableDevice* device, const TableRect& rect);
    // Default: FocusLost(section).
    virtual void FocusLeaving(int section, const void* window);
    virtual void FocusLost(int section);
    virtual int CanDragColumn(int column);
    virtual int ColumnDropped(int fromColumn, int toColumn);
    virtual void ColumnMoved(int fromColumn, int toColumn);
    virtual void TrackingWindowMoving(const TableRect& oldRect, TableRect& newRect);

    // ---- TableDataSourceHost
    int DisplayColumnOf(const CTableDataSource* source, int sourceColumn) const override;
    void ShiftSourceColumns(const CTableDataSource* source, int from, int delta) override;
    int SourceColumnCount() const override;
    int SourceRowCount() const override;

protected:
    // ---- Services of the drawing layer; the defaults do nothing (no windows).
    // The components' rectangles changed (painting is on).
    virtual void ViewLayoutChanged(const TableLayout& layout) { (void)layout; }
    // Repaints whole components (TableRepaint bits).
    virtual void ViewRepaint(unsigned sections) { (void)sections; }
    // Brings the cell area up to date after a move: scroll by (dx, dy) and paint the sheet's
    // redraw list, or repaint it whole; the scroll bars and headings follow.
    virtual void ViewUpdateAfterMove(const TableMoveUpdate& update) { (void)update; }
    // Whether the grid's window is visible.
    virtual bool ViewIsVisible() const { return false; }
    // Shows editor over rect of section with the font; key, when non-zero, is typed into it
    // (the default types it into the in-memory editor).
    virtual void ViewOpenEditor(TableEditor* editor, int section, const TableRect& rect,
                                const TableFont* font, int key);
    virtual void ViewCloseEditor(TableEditor* editor) { (void)editor; }
    // Gives the focus back to the editor after a refused end of the edit.
    virtual void ViewRefocusEditor(TableEditor* editor) { (void)editor; }
    // Gives the grid the focus (from an editor): the default ends the edit at once.
    virtual void ViewFocusGrid();
    virtual void ViewFocusCellArea() {}
    // Waits (the first-repeat delay of accelerated keys, the drag-scroll delay).
    virtual void ViewDelay(int milliseconds) { (void)milliseconds; }
    // Tells the user that a search found nothing ("Item not found").
    virtual void ViewNotFound() {}
    // Tracks the context menu at point (in the coordinates ShowPopupMenu was given); returns
    // the command chosen (0 none), or -1 when it failed.
    virtual int ViewTrackPopupMenu(TablePoint point)
    {
        (void)point;
        return 0;
    }
    // An edit was committed to the cell (the drawing layer repaints text that overflows).
    virtual void ViewEditCommitted(int column, int row) { (void)column, (void)row; }
    // Moves the owner's tracking window clear of the drag cell (rect in cell-area coordinates);
    // the drawing layer calls hook TrackingWindowMoving when it moves it.
    virtual void ViewKeepTrackingWindowClear(const TableRect& dragCell) { (void)dragCell; }
    // A device for measuring text outside painting; null without windows.
    virtual TableDevice* ViewMeasuringDevice() { return nullptr; }
    // Shows a drop-down list of choices under rect (cell-area coordinates) in font.
    virtual bool ViewShowDropList(TableDropListOwner* owner, const TableRect& rect,
                                  const std::vector<std::string>& choices, const TableFont* font)
    {
        (void)owner, (void)rect, (void)choices, (void)font;
        return false;
    }
    virtual void ViewCloseDropList() {}

private:
    void InitSheet(TableSheet& sheet);
    TableSheet* SheetOfSource(const CTableDataSource* source) const;
    void RecalcLockedWidth();
    void RecalcLockedHeight();
    void RecalcMaxima(int depth);
    void UpdateVisibleRange();
    void LayoutPass(int depth);
    void RunFanOut();
    void NotifyScrolls();
    void TellVisibleCellTypesWidth(int column, int& width);
    void TellVisibleCellTypesHeight(int row, int& height);
    void StoreColumnWidth(int column, int width);
    void StoreRowHeight(int row, int height);
    int RowsNeededStep(int targetRow);
    int ScrollTo(int newLeft, int newTop);
    int MoveByStep(int key, int step);
    TableEditor* EditorFor(const CTableCell& cell);
    void CollapseSelection();
    void SelectionRedraw(const TableRange& cells) override;
    TableCellTypeBase* TypeForCell(const CTableCell& cell);
    void PaintCell(TableDevice& device, CTableCell& cell, int column, int row,
                   const TableRect& rect, const TableRect& clip, int selection, bool current);
    bool JoinedBlockWithin(int column, int row, const TableRange& bounds, TableRange& block);
    bool HeadingBlockRect(const TableRange& block, TableRect& rect) const;
    void PaintHeadingCell(TableDevice& device, TableRedrawList& painted, int column, int row,
                          TableRect rect);
    int HeadingGrip(bool rows, int pos);
    // The heading cell under point and its rectangle (the whole corner for the corner).
    void HeadingHit(int section, TablePoint point, int& column, int& row, TableRect& rect) const;
    int HeadingSizingStep(bool rows, int index, int start, int startPos, int pos);

    std::vector<std::unique_ptr<TableSheet>> m_sheets;
    TableSheet* m_sheet = nullptr;
    int m_currentSheet = 0;

    std::vector<std::unique_ptr<TableCellTypeBase>> m_cellTypes;
    std::unique_ptr<TableCellTypeBase> m_fallbackType;

    struct FontEntry
    {
        TableFont font;
        int uses = 1;
    };
    std::deque<FontEntry> m_fonts;

    TableEditor* m_plainEditor = nullptr;
    TableEditor* m_maskedEditor = nullptr;
    TableEditor m_ownPlainEditor{TableEditor::kPlain};
    TableEditor m_ownMaskedEditor{TableEditor::kMasked};

    CTableCell m_quickCell; // quick text reads and writes
    CTableCell m_editCell;  // the cell being edited
    CTableCell m_scratch;

    int m_clientWidth = 0;
    int m_clientHeight = 0;
    int m_modifierKeys = 0;
    int m_keyRepeat = 0;
    bool m_searchAlongRows = false;
    bool m_redrawEnabled = true; // held off while a sheet is selected without redrawing

    bool m_editing = false;
    int m_editColumn = -1;
    int m_editRow = -1;
    int m_editSection = kSectionCells;
    TableEditor* m_activeEditor = nullptr;
    std::string m_editStartText;

    bool m_buttonDown = false;
    bool m_finishing = false; // FinishEdit is running
    bool m_painting = false;  // a paint pass is running
    int m_lastPaintedCells = 0;
    int m_movingColumn = -1;
    TableTabStrip m_tabs;
    int m_menuColumn = -1;
    int m_menuRow = -1;
    int m_menuSection = 0;
};
