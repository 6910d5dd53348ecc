// The drop-down list of drop-list cells.
#include "grid/widgets/drop_list.h"

#include "grid/cell_type.h"
#include "grid/grid_layout.h"
#include "grid/widgets/qt_table_device.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

CTableDropList::CTableDropList(QWidget* owner) : QListWidget(owner)
{
    setWindowFlags(Qt::Popup);
    setObjectName("dropList");
    setProperty("controlId", 123);
    // The click that closes the list is not given to the cell below again (it would reopen it).
    setAttribute(Qt::WA_NoMouseReplay);
    setUniformItemSizes(true);
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void CTableDropList::Open(TableDropListOwner* owner, const QRect& cell,
                          const std::vector<std::string>& choices, const QFont& font,
                          int itemHeight)
{
    m_owner = nullptr;
    hide();
    clear();
    setFont(font);
    for (const std::string& choice : choices) {
        auto* item = new QListWidgetItem(QString::fromStdString(choice), this);
        item->setSizeHint(QSize(0, itemHeight));
    }
    QScreen* screen = QGuiApplication::screenAt(cell.center());
    if (!screen)
        screen = this->screen();
    const TableRect bounds =
        screen ? FromQRect(screen->availableGeometry())
               : TableRect{cell.left(), cell.top(), cell.right() + 1000, cell.bottom() + 1000};
    const TableRect placed =
        PlaceDropList(FromQRect(cell), int(choices.size()), itemHeight, bounds);
    setGeometry(ToQRect(placed));
    if (count() > 0)
        setCurrentRow(-1);
    m_owner = owner;
    show();
    setFocus(Qt::PopupFocusReason);
}

void CTableDropList::Close()
{
    m_owner = nullptr;
    hide();
}

void CTableDropList::Choose(int index)
{
    TableDropListOwner* owner = m_owner;
    m_owner = nullptr;
    hide();
    if (owner)
        owner->DropListChosen(index);
}

void CTableDropList::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (currentRow() >= 0 && currentItem() && currentItem()->isSelected())
            Choose(currentRow());
        else
            hide();
        return;
    case Qt::Key_Escape:
        hide();
        return;
    default:
        QListWidget::keyPressEvent(event);
    }
}

void CTableDropList::mouseReleaseEvent(QMouseEvent* event)
{
    QListWidget::mouseReleaseEvent(event);
    if (!rect().contains(event->position().toPoint()))
        return;
    if (QListWidgetItem* item = itemAt(event->position().toPoint()))
        Choose(row(item));
}

void CTableDropList::hideEvent(QHideEvent* event)
{
    QListWidget::hideEvent(event);
    if (TableDropListOwner* owner = m_owner) {
        m_owner = nullptr;
        owner->DropListClosed();
    }
}
