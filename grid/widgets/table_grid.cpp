// The grid control's window: components, editors, hints, menus and the model's view services.
#include "grid/widgets/table_grid.h"

#include "grid/cell_types.h"
#include "grid/grid_layout.h"
#include "grid/widgets/drop_list.h"
#include "grid/widgets/find_dialog.h"
#include "grid/widgets/grid_components.h"
#include "grid/widgets/hint_window.h"
#include "grid/widgets/qt_table_device.h"
#include "grid/widgets/table_editors.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QLayout>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPaintEvent>
#include <QScreen>
#include <QStyle>
#include <QThread>
#include <QTimer>

CTableGrid::CTableGrid(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    m_area = new CTableGridArea(this);
    m_top = new CTableTopHeading(this);
    m_side = new CTableSideHeading(this);
    m_corner = new CTableCornerButton(this);
    m_tabs = new CTableSheetTabs(this);
    m_vertical = new CTableScrollBar(this, Qt::Vertical, kIdVerticalBar);
    m_horizontal = new CTableScrollBar(this, Qt::Horizontal, kIdHorizontalBar);
    for (QWidget* w : std::initializer_list<QWidget*>{m_area, m_top, m_side, m_corner, m_tabs,
                                                      m_vertical, m_horizontal})
        w->setGeometry(0, 0, 0, 0);
    setFocusProxy(m_area);

    m_edit = new CTableEdit(this);
    m_maskEdit = new CTableMaskEdit(this);
    SetEditors(m_edit, m_maskEdit);
    m_hint = new CTableHintWnd(this);
    m_dropList = new CTableDropList(this);

    m_menu = new QMenu(this);
    connect(m_menu->addAction(tr("&Copy")), &QAction::triggered, this,
            &CTableGrid::CopyToClipboard);
    connect(m_menu->addAction(tr("&Paste")), &QAction::triggered, this,
            &CTableGrid::PasteFromClipboard);
    m_menu->addSeparator();
    connect(m_menu->addAction(tr("&Find...")), &QAction::triggered, this,
            [this] { OpenFindDialog(false); });

    RegisterCellType(std::make_unique<CTableNormalCellType>());
    RegisterCellType(std::make_unique<CTableDropListCellType>());
    RegisterCellType(std::make_unique<CTableCheckBoxCellType>());
    RegisterCellType(std::make_unique<CTableSideArrowsCellType>());

    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_vertical);
    Sheet().verticalBarWidth = extent;
    Sheet().horizontalBarHeight = extent;
    m_measure = std::make_unique<QtTableDevice>(nullptr, font());
    TakeSystemColors();
    TakeWindowFont(FromQFont(font()));
}

CTableGrid::~CTableGrid()
{
    // The windows call into the model; they go first.
    m_destroying = true;
    const QObjectList children = this->children();
    for (QObject* child : children)
        delete child;
}

QSize CTableGrid::sizeHint() const
{
    return QSize(320, 200);
}

// ---- Attaching

int CTableGrid::AttachToDialogItem(QWidget* dialog, int id)
{
    if (!dialog)
        return 0;
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        if (w == this || isAncestorOf(w))
            continue;
        const QVariant value = w->property(kControlIdProperty);
        if (value.isValid() ? value.toInt() == id : w->objectName() == QString::number(id))
            return AttachToDialogItem(w);
    }
    return 0;
}

int CTableGrid::AttachToDialogItem(QWidget* placeholder)
{
    if (!placeholder || placeholder == this || isAncestorOf(placeholder))
        return 0;
    QWidget* parent = placeholder->parentWidget();
    setParent(parent);
    setGeometry(placeholder->geometry());
    setProperty(kControlIdProperty, placeholder->property(kControlIdProperty));
    setObjectName(placeholder->objectName());
    if (parent && parent->layout()) {
        if (QLayoutItem* old = parent->layout()->replaceWidget(placeholder, this))
            delete old;
    }
    QWidget::setTabOrder(placeholder, this);
    setEnabled(placeholder->isEnabled());
    setFont(placeholder->font());
    m_measure = std::make_unique<QtTableDevice>(nullptr, font());
    TakeWindowFont(FromQFont(placeholder->font()));
    if (placeholder->layoutDirection() == Qt::RightToLeft)
        SetRightToLeft(true);
    const bool visible = !placeholder->isHidden();
    placeholder->hide();
    placeholder->deleteLater();
    EnsureSetup();
    setVisible(visible);
    return 1;
}

void CTableGrid::EnsureSetup()
{
    if (m_setupDone)
        return;
    m_setupDone = true;
    SetClientSize(width(), height());
    RunSetup();
}

void CTableGrid::SetRightToLeft(bool rightToLeft)
{
    if (rightToLeft == m_rightToLeft)
        return;
    m_rightToLeft = rightToLeft;
    const Qt::LayoutDirection direction = rightToLeft ? Qt::RightToLeft : Qt::LeftToRight;
    setLayoutDirection(direction);
    for (QWidget* w : std::initializer_list<QWidget*>{m_area, m_top, m_side, m_corner, m_tabs,
                                                      m_vertical, m_horizontal, m_edit, m_maskEdit})
        w->setLayoutDirection(direction);
    RedrawAll();
}

// ---- Window events

void CTableGrid::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    SetClientSize(width(), height());
}

void CTableGrid::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    EnsureSetup();
}

void CTableGrid::paintEvent(QPaintEvent*)
{
    // Only the square between the two scroll bars is the grid's own.
    const TableLayout& l = Sheet().layout;
    const int w = l.verticalBar.Width();
    const int h = l.horizontalBar.Height();
    if (w <= 0 || h <= 0)
        return;
    QPainter painter(this);
    const TableRect square{width() - w, height() - h, width(), height()};
    painter.fillRect(ToQRect(square, m_rightToLeft ? width() : 0),
                     ToQColor(GetTableSystemColor(TableSystemColor::buttonFace)));
}

void CTableGrid::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        TakeSystemColors();
    else if (event->type() == QEvent::EnabledChange)
        update(); // the cells' colours follow the enabled state
}

void CTableGrid::TakeSystemColors()
{
    const QPalette& p = palette();
    SetTableSystemColor(TableSystemColor::window, FromQColor(p.color(QPalette::Base)));
    SetTableSystemColor(TableSystemColor::windowText, FromQColor(p.color(QPalette::Text)));
    SetTableSystemColor(TableSystemColor::highlight, FromQColor(p.color(QPalette::Highlight)));
    SetTableSystemColor(TableSystemColor::highlightText,
                        FromQColor(p.color(QPalette::HighlightedText)));
    SetTableSystemColor(TableSystemColor::buttonFace, FromQColor(p.color(QPalette::Button)));
    SetTableSystemColor(TableSystemColor::buttonShadow, FromQColor(p.color(QPalette::Dark)));
    SetTableSystemColor(TableSystemColor::buttonHighlight, FromQColor(p.color(QPalette::Light)));
    SetTableSystemColor(TableSystemColor::infoBackground,
                        FromQColor(p.color(QPalette::ToolTipBase)));
    SetTableSystemColor(TableSystemColor::grayText,
                        FromQColor(p.color(QPalette::Disabled, QPalette::Text)));
    OnSystemColorsChanged();
    update();
}

// ---- Painting

void CTableGrid::PaintComponent(QWidget* component, QPainter& painter, const QRegion& region)
{
    const TableSheet& s = Sheet();
    if (!s.painting) {
        painter.fillRect(component->rect(), ToQColor(DefaultBackColor(kSectionCells)));
        return;
    }
    const int mirror = m_rightToLeft ? component->width() : 0;
    auto dirty = [&](const TableRect& r) { return region.intersects(ToQRect(r, mirror)); };
    const int w = component->width();
    const int h = component->height();
    if (component == m_area) {
        const bool focused = m_area->hasFocus() || IsFindActive();
        std::vector<TableRange> rest;
        if (s.doubleBuffering) {
            QPixmap buffer(std::max(1, w), std::max(1, h));
            {
                QPainter offscreen(&buffer);
                offscreen.setClipRegion(region);
                QtTableDevice device(&offscreen, font(), mirror);
                rest = PaintCellArea(device, dirty, focused);
            }
            painter.drawPixmap(0, 0, buffer);
        } else {
            QtTableDevice device(&painter, font(), mirror);
            rest = PaintCellArea(device, dirty, focused);
        }
        for (const TableRange& range : rest)
            for (const TableRect& r : VisibleRangeRects(range))
                m_area->update(ToQRect(r, mirror));
        return;
    }
    QtTableDevice device(&painter, font(), mirror);
    if (component == m_top)
        PaintTopHeading(device, dirty, w, h);
    else if (component == m_side)
        PaintSideHeading(device, dirty, w, h);
    else if (component == m_corner)
        PaintCorner(device, w, h);
    else if (component == m_tabs)
        PaintTabs(device, w, h);
}

// ---- View services

void CTableGrid::PlaceComponent(QWidget* component, const TableRect& rect)
{
    component->setGeometry(
        ToQRect(rect.IsEmpty() ? TableRect{} : rect, m_rightToLeft ? width() : 0));
}

void CTableGrid::ViewLayoutChanged(const TableLayout& layout)
{
    PlaceComponent(m_area, layout.cells);
    PlaceComponent(m_top, layout.topHeading);
    PlaceComponent(m_side, layout.sideHeading);
    PlaceComponent(m_corner, layout.corner);
    PlaceComponent(m_vertical, layout.verticalBar);
    PlaceComponent(m_horizontal, layout.horizontalBar);
    PlaceComponent(m_tabs, layout.tabs);
    UpdateScrollBars();
    update();
}

void CTableGrid::UpdateScrollBars()
{
    m_vertical->UpdateFromModel();
    m_horizontal->UpdateFromModel();
}

void CTableGrid::RepaintRanges()
{
    TableSheet& s = Sheet();
    for (const TableRange& range : s.cellRedraw.Ranges())
        for (const TableRect& r : VisibleRangeRects(range))
            m_area->update(m_area->ToView(r));
    s.cellRedraw.Clear();
}

void CTableGrid::ViewRepaint(unsigned sections)
{
    if (sections & TableRepaint::cells) {
        m_area->update();
        Sheet().cellRedraw.Clear();
    }
    if (sections & TableRepaint::topHeading)
        m_top->update();
    if (sections & TableRepaint::sideHeading)
        m_side->update();
    if (sections & TableRepaint::corner)
        m_corner->update();
    if (sections & TableRepaint::tabs)
        m_tabs->update();
    if (sections & (TableRepaint::verticalBar | TableRepaint::horizontalBar))
        UpdateScrollBars();
}

void CTableGrid::ViewUpdateAfterMove(const TableMoveUpdate& u)
{
    TableSheet& s = Sheet();
    if (!s.painting)
        return;
    // A diagonal shift would carry the locked rows or columns along: paint everything.
    const bool diagonal = u.dx != 0 && u.dy != 0 && (s.lockedRows > 0 || s.lockedColumns > 0);
    if (u.wholeArea || diagonal) {
        m_area->update();
        m_top->update();
        m_side->update();
        s.cellRedraw.Clear();
    } else {
        const int dx = m_rightToLeft ? u.dx : -u.dx;
        if (u.dx != 0 || u.dy != 0)
            m_area->scroll(dx, -u.dy, m_area->ToView(u.scrollRect));
        if (u.dx != 0)
            m_top->scroll(dx, 0,
                          m_top->ToView({s.lockedWidth, 0, m_top->width(), m_top->height()}));
        if (u.dy != 0)
            m_side->scroll(0, -u.dy,
                           QRect(0, s.lockedHeight, m_side->width(),
                                 std::max(0, m_side->height() - s.lockedHeight)));
        RepaintRanges();
    }
    UpdateScrollBars();
}

QWidget* CTableGrid::SectionWindow(int section) const
{
    switch (section) {
    case kSectionTopHeading:
        return m_top;
    case kSectionSideHeading:
        return m_side;
    case kSectionCorner:
        return m_corner;
    default:
        return m_area;
    }
}

void CTableGrid::ViewOpenEditor(TableEditor* editor, int section, const TableRect& rect,
                                const TableFont* font, int key)
{
    auto* widget = dynamic_cast<QWidget*>(editor);
    if (!widget) {
        CTableGridModel::ViewOpenEditor(editor, section, rect, font, key);
        return;
    }
    HideHint();
    auto* parent = static_cast<CTableComponent*>(SectionWindow(section));
    if (widget->parentWidget() != parent)
        widget->setParent(parent);
    widget->setFont(ToQFont(font, this->font()));
    widget->setLayoutDirection(layoutDirection());
    m_editorStart = rect;
    widget->setGeometry(parent->ToView(rect));
    widget->show();
    widget->raise();
    widget->setFocus(Qt::OtherFocusReason);
    if (key != 0)
        editor->Type(key);
}

void CTableGrid::ViewCloseEditor(TableEditor* editor)
{
    auto* widget = dynamic_cast<QWidget*>(editor);
    if (!widget)
        return;
    m_closingEditor = true;
    if (widget->hasFocus())
        m_area->setFocus(Qt::OtherFocusReason);
    widget->hide();
    m_closingEditor = false;
}

void CTableGrid::ViewRefocusEditor(TableEditor* editor)
{
    auto* widget = dynamic_cast<QWidget*>(editor);
    if (!widget)
        return;
    widget->show();
    widget->raise();
    widget->setFocus(Qt::OtherFocusReason);
    // A message shown while the edit was ending may still hold the activation, or the focus
    // change that ended the edit may still be under way: make sure once it is over.
    QTimer::singleShot(0, widget, [this, widget, editor] {
        if (IsEditing() && GetActiveEditor() == editor && !widget->hasFocus()) {
            widget->activateWindow();
            widget->setFocus(Qt::OtherFocusReason);
        }
    });
}

void CTableGrid::ViewFocusGrid()
{
    const int losses = m_editorFocusLosses;
    m_area->setFocus(Qt::OtherFocusReason);
    // In a window that is not active the editor hears of no focus change: end the edit here.
    if (losses == m_editorFocusLosses && IsEditing())
        OnEditorFocusLost(TableFocusTarget::gridChild, m_area);
}

void CTableGrid::ViewFocusCellArea()
{
    if (!m_area->hasFocus())
        m_area->setFocus(Qt::OtherFocusReason);
}

void CTableGrid::EditorLostFocus(TableEditor* editor)
{
    if (m_closingEditor || m_destroying || editor != GetActiveEditor())
        return;
    ++m_editorFocusLosses;
    QWidget* to = QApplication::focusWidget();
    TableFocusTarget target = TableFocusTarget::outside;
    if (!to)
        target = TableFocusTarget::none;
    else if (to == this)
        target = TableFocusTarget::grid;
    else if (isAncestorOf(to) || to->window() == m_dropList || to->window() == m_hint)
        target = TableFocusTarget::gridChild;
    OnEditorFocusLost(target, to);
}

void CTableGrid::EditorTextChanged(TableEditor* editor)
{
    if (editor != m_edit || !m_edit->isVisible() || !EditorMayGrow(editor))
        return;
    auto* parent = static_cast<CTableComponent*>(m_edit->parentWidget());
    const QRect g = m_edit->geometry();
    const int pw = parent->width();
    const TableRect current =
        m_rightToLeft ? TableRect{pw - g.x() - g.width(), g.y(), pw - g.x(), g.y() + g.height()}
                      : FromQRect(g);
    const TableRect bounds{0, 0, pw, parent->height()};
    const int maxWidth = std::max(1, bounds.right - (current.left + 2));
    const QRect need = m_edit->fontMetrics().boundingRect(
        QRect(0, 0, maxWidth, 1 << 24), Qt::TextWordWrap, m_edit->toPlainText() + " X X");
    const TableRect grown =
        GrowEditorRect(Sheet(), m_editorStart, current, need.width(), need.height() + 2, bounds);
    if (grown != current)
        m_edit->setGeometry(parent->ToView(grown));
}

void CTableGrid::ViewDelay(int milliseconds)
{
    QThread::msleep(static_cast<unsigned long>(std::clamp(milliseconds, 0, 1000)));
}

void CTableGrid::ViewNotFound()
{
    QWidget* parent = m_find ? static_cast<QWidget*>(m_find) : this;
    QMessageBox box(QMessageBox::Information, "Not Found", "Item not found", QMessageBox::Ok,
                    parent);
    box.exec();
    if (m_find) {
        m_find->raise();
        m_find->activateWindow();
    }
}

int CTableGrid::ViewTrackPopupMenu(TablePoint point)
{
    if (m_menu->isEmpty())
        return 0;
    const QPoint at =
        m_area->mapToGlobal(m_area->ToView({point.x, point.y, point.x + 1, point.y + 1}).topLeft());
    QAction* chosen = m_menu->exec(at);
    return chosen ? chosen->data().toInt() : 0;
}

QAction* CTableGrid::AddMenuCommand(int id, const QString& text)
{
    QAction* action = m_menu->addAction(text);
    action->setData(id);
    return action;
}

void CTableGrid::ViewEditCommitted(int column, int row)
{
    RedrawCell(column, row);
}

void CTableGrid::ViewKeepTrackingWindowClear(const TableRect& dragCell)
{
    if (!m_trackingWindow || !m_trackingWindow->isVisible() || !m_area->isVisible())
        return;
    const QRect cell = m_area->ToView(dragCell).translated(m_area->mapToGlobal(QPoint(0, 0)));
    QScreen* screen = QGuiApplication::screenAt(cell.center());
    if (!screen)
        screen = m_area->screen();
    if (!screen)
        return;
    const TableRect window = FromQRect(m_trackingWindow->frameGeometry());
    TableRect moved = MoveClearOf(window, FromQRect(cell), FromQRect(screen->availableGeometry()));
    if (moved == window)
        return;
    TrackingWindowMoving(window, moved);
    m_trackingWindow->move(moved.left, moved.top);
}

TableDevice* CTableGrid::ViewMeasuringDevice()
{
    return m_measure.get();
}

bool CTableGrid::ViewShowDropList(TableDropListOwner* owner, const TableRect& rect,
                                  const std::vector<std::string>& choices, const TableFont* font)
{
    HideHint();
    const QRect cell = m_area->ToView(rect).translated(m_area->mapToGlobal(QPoint(0, 0)));
    const QFont qfont = ToQFont(font, this->font());
    m_dropList->Open(owner, cell, choices, qfont, QFontMetrics(qfont).height());
    return true;
}

void CTableGrid::ViewCloseDropList()
{
    m_dropList->Close();
}

// ---- Hints, find, clipboard

void CTableGrid::ShowHint(QWidget* owner, int x, int y, int minWidth, unsigned flags,
                          const QString& text)
{
    m_hint->setFont(font());
    m_hint->SetText(text);
    m_hint->ShowAt(owner, x, y, minWidth, flags);
}

void CTableGrid::HideHint()
{
    if (m_hint && m_hint->isVisible())
        m_hint->hide();
}

void CTableGrid::OpenFindDialog(bool replace)
{
    if (!m_find) {
        m_find = new CTableFindDialog(this);
        m_find->setWindowFlag(Qt::Dialog);
        connect(m_find, &CTableFindDialog::Requested, this,
                [this](const TableFindRequest& request) { OnFindReplace(request); });
        connect(m_find, &CTableFindDialog::Closed, this, [this] { RedrawAll(); });
    }
    m_find->SetReplaceMode(replace);
    m_find->show();
    m_find->raise();
    m_find->activateWindow();
}

bool CTableGrid::IsFindActive() const
{
    return m_find && m_find->isVisible();
}

void CTableGrid::CopyToClipboard()
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(QString::fromStdString(CopyText()));
}

void CTableGrid::PasteFromClipboard()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QString text = clipboard ? clipboard->text() : QString();
    if (!text.isEmpty())
        PasteText(text.toStdString());
}
