// The point table of the main window.
#include "app/widgets/standin_views.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QValidator>

namespace {

constexpr int kRawRole = Qt::UserRole + 1;

// Typed letters become capitals.
class UpperCaseValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        input = input.toUpper();
        return Acceptable;
    }
};

class CellDelegate : public QStyledItemDelegate
{
public:
    explicit CellDelegate(StandInPointTable* table) : QStyledItemDelegate(table), m_table(table) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override
    {
        auto* editor = new QLineEdit(parent);
        editor->setValidator(new UpperCaseValidator(editor));
        editor->setFrame(false);
        return editor;
    }
    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        const QString text = static_cast<QLineEdit*>(editor)->text();
        if (!m_table->CommitEdit(index.column(), index.row(), text.toStdString())) {
            // Refused: edit again, starting from the text typed.
            const QPersistentModelIndex at(index);
            QTimer::singleShot(0, m_table, [table = m_table, at, text] {
                if (!at.isValid())
                    return;
                table->setCurrentIndex(at);
                table->edit(at);
                if (auto* line = table->findChild<QLineEdit*>())
                    line->setText(text);
            });
        }
    }

private:
    StandInPointTable* m_table;
};

} // namespace

StandInPointTable::StandInPointTable(QWidget* parent) : QTableWidget(2, 4, parent)
{
    setHorizontalHeaderLabels({"Pixel X", "Pixel Y", "Latitude       ", "Longitude      "});
    setVerticalHeaderLabels({"#1", "#2"});
    setCornerButtonEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegate(new CellDelegate(this));
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int rowHeight = fontMetrics().height() + 6;
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(rowHeight);
    horizontalHeader()->setFixedHeight(rowHeight);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 4; ++c)
            setItem(r, c, new QTableWidgetItem);
    connect(this, &QTableWidget::currentCellChanged, this,
            [this](int, int, int oldRow, int oldColumn) { NormaliseCell(oldColumn, oldRow); });
}

std::string StandInPointTable::RawText(int column, int row) const
{
    const QTableWidgetItem* it = item(row, column);
    return it ? it->data(kRawRole).toString().toStdString() : std::string();
}

void StandInPointTable::Refresh(int column, int row)
{
    if (QTableWidgetItem* it = item(row, column))
        it->setText(QString::fromStdString(GetCellText(column, row)));
}

void StandInPointTable::SetCellText(int column, int row, const std::string& text)
{
    if (QTableWidgetItem* it = item(row, column)) {
        it->setData(kRawRole, QString::fromStdString(text));
        Refresh(column, row);
    }
}

std::string StandInPointTable::GetCellText(int column, int row)
{
    const std::string raw = RawText(column, row);
    if (column >= 2 && m_display)
        return m_display(raw, column == 3);
    return raw;
}

void StandInPointTable::RedrawAll()
{
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 4; ++c)
            Refresh(c, r);
    viewport()->update();
}

void StandInPointTable::FitColumns()
{
    RedrawAll();
    resizeColumnsToContents();
    // The viewport may not have its final size yet while the window is being set up; work
    // from the table's own width.
    const int available = width() - 2 * frameWidth() - verticalHeader()->sizeHint().width();
    int used = 0;
    for (int c = 0; c < 4; ++c)
        used += columnWidth(c);
    if (used > 0 && available > used) {
        int extra = available - used;
        for (int c = 0; c < 4; ++c) {
            const int add = c == 3 ? extra : (available - used) * columnWidth(c) / used;
            setColumnWidth(c, columnWidth(c) + add);
            extra -= add;
        }
    }
}

bool StandInPointTable::CommitEdit(int column, int row, const std::string& text)
{
    if (m_validate && !m_validate(column, text))
        return false;
    const bool changed = RawText(column, row) != text;
    SetCellText(column, row, text);
    if (changed && m_changed)
        m_changed(column, row);
    return true;
}

void StandInPointTable::NormaliseCell(int column, int row)
{
    if (column < 2 || row < 0 || !m_display)
        return;
    const std::string text = GetCellText(column, row);
    if (!text.empty())
        SetCellText(column, row, text);
}
