// The grid control: a Qt widget over the grid model. It owns the components (cell area,
// headings, corner button, sheet tabs, two scroll bars), the two in-place editors, the hint
// window, the drop-down list, the context menu and the find/replace dialog, registers the four
// cell types, and carries out what the model decides: layout, repaints and scrolling, opening
// and closing editors, focus, menus and messages.
#pragma once

#include "grid/grid_model.h"
#include "grid/widgets/find_dialog.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class CTableGridArea;
class CTableTopHeading;
class CTableSideHeading;
class CTableCornerButton;
class CTableSheetTabs;
class CTableScrollBar;
class CTableHintWnd;
class CTableEdit;
class CTableMaskEdit;
class CTableDropList;
class CTableFindDialog;
class QtTableDevice;
class QMenu;
class QAction;

class CTableGrid : public QWidget, public CTableGridModel
{
    Q_OBJECT
public:
    // Child-window ids of the components (the "controlId" property).
    enum ComponentId {
        kIdCellArea = 1,
        kIdTopHeading = 2,
        kIdSideHeading = 3,
        kIdCorner = 4,
        kIdTabs = 5,
        kIdVerticalBar = 6,
        kIdHorizontalBar = 7,
        kIdEdit = 123,
        kIdMaskEdit = 124,
    };
    // The property that carries a widget's control id.
    static constexpr const char* kControlIdProperty = "controlId";

    explicit CTableGrid(QWidget* parent = nullptr);
    ~CTableGrid() override;

    // Takes the place of the placeholder among dialog's descendants whose "controlId" property
    // (or, without one, whose object name) is id; see the other form. 1 done, 0 none found.
    int AttachToDialogItem(QWidget* dialog, int id);
    // Takes the placeholder's place: its parent, geometry, place in a layout and in the tab
    // order, id, visibility and enabled state; its font becomes the sheet's default font and
    // a copy 200 heavier the headings' font; a right-to-left placeholder mirrors the grid. The
    // placeholder is deleted; then hooks SetupGrid and SetupSheet(0) run and the grid is
    // painted. 1 done, 0 without a placeholder.
    int AttachToDialogItem(QWidget* placeholder);

    // Right-to-left layout: column 0 at the right, the side heading at the right.
    void SetRightToLeft(bool rightToLeft);
    bool IsRightToLeft() const { return m_rightToLeft; }

    // Components.
    CTableGridArea* CellArea() const { return m_area; }
    CTableTopHeading* TopHeading() const { return m_top; }
    CTableSideHeading* SideHeading() const { return m_side; }
    CTableCornerButton* CornerButton() const { return m_corner; }
    CTableSheetTabs* SheetTabs() const { return m_tabs; }
    CTableScrollBar* VerticalBar() const { return m_vertical; }
    CTableScrollBar* HorizontalBar() const { return m_horizontal; }
    CTableEdit* PlainEditor() const { return m_edit; }
    CTableMaskEdit* MaskEditor() const { return m_maskEdit; }
    CTableHintWnd* HintWindow() const { return m_hint; }
    CTableDropList* DropList() const { return m_dropList; }
    // The context menu; commands with ids from 1000 on go to hook MenuCommandChosen.
    QMenu* PopupMenu() const { return m_menu; }
    QAction* AddMenuCommand(int id, const QString& text);
    // The find/replace dialog, once opened.
    CTableFindDialog* FindDialog() const { return m_find; }
    // Opens the find dialog, with the replace fields when replace is set.
    void OpenFindDialog(bool replace);
    bool IsFindActive() const;

    // A window the grid keeps clear of the cell being selected (null: none).
    void SetTrackingWindow(QWidget* window) { m_trackingWindow = window; }

    // Shows the hint window with text at (x, y) of owner, placed by TableHintFlag flags inside
    // owner and then inside the screen that holds (x, y).
    void ShowHint(QWidget* owner, int x, int y, int minWidth, unsigned flags, const QString& text);
    void HideHint();

    // Copies the selection (or the current cell) to the clipboard, and pastes the clipboard's
    // text at the current cell.
    void CopyToClipboard();
    void PasteFromClipboard();

    // Painting the components (called by their paint events).
    void PaintComponent(QWidget* component, QPainter& painter, const QRegion& region);
    // The size of the corner square between the two bars.
    QSize sizeHint() const override;

signals:
    // Help was asked for a cell whose hook HelpContext gave this context.
    void HelpRequested(int context);

public:
    // Used by the editors when they lose the focus.
    void EditorLostFocus(TableEditor* editor);
    // The plain editor's text changed: it grows when it may.
    void EditorTextChanged(TableEditor* editor);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

    // View services.
    void ViewLayoutChanged(const TableLayout& layout) override;
    void ViewRepaint(unsigned sections) override;
    void ViewUpdateAfterMove(const TableMoveUpdate& update) override;
    bool ViewIsVisible() const override { return isVisible(); }
    bool ViewIsEnabled() const override { return isEnabled(); }
    void ViewOpenEditor(TableEditor* editor, int section, const TableRect& rect,
                        const TableFont* font, int key) override;
    void ViewCloseEditor(TableEditor* editor) override;
    void ViewRefocusEditor(TableEditor* editor) override;
    void ViewFocusGrid() override;
    void ViewFocusCellArea() override;
    void ViewDelay(int milliseconds) override;
    void ViewNotFound() override;
    int ViewTrackPopupMenu(TablePoint point) override;
    void ViewEditCommitted(int column, int row) override;
    void ViewKeepTrackingWindowClear(const TableRect& dragCell) override;
    TableDevice* ViewMeasuringDevice() override;
    bool ViewShowDropList(TableDropListOwner* owner, const TableRect& rect,
                          const std::vector<std::string>& choices, const TableFont* font) override;
    void ViewCloseDropList() override;

private:
    QWidget* SectionWindow(int section) const;
    void UpdateScrollBars();
    void TakeSystemColors();
    void EnsureSetup();
    void PlaceComponent(QWidget* component, const TableRect& rect);
    void RepaintRanges();

    CTableGridArea* m_area = nullptr;
    CTableTopHeading* m_top = nullptr;
    CTableSideHeading* m_side = nullptr;
    CTableCornerButton* m_corner = nullptr;
    CTableSheetTabs* m_tabs = nullptr;
    CTableScrollBar* m_vertical = nullptr;
    CTableScrollBar* m_horizontal = nullptr;
    CTableEdit* m_edit = nullptr;
    CTableMaskEdit* m_maskEdit = nullptr;
    CTableHintWnd* m_hint = nullptr;
    CTableDropList* m_dropList = nullptr;
    QMenu* m_menu = nullptr;
    QPointer<CTableFindDialog> m_find;
    QPointer<QWidget> m_trackingWindow;
    std::unique_ptr<QtTableDevice> m_measure;

    bool m_setupDone = false;
    bool m_rightToLeft = false;
    bool m_closingEditor = false;
    bool m_destroying = false;
    int m_editorFocusLosses = 0;
    TableRect m_editorStart; // where the open editor started, for growing
};
