// In-memory editor state and the key decisions inside editors.
#include "grid/editor.h"

#include "grid/grid_model.h"
#include "grid/table_types.h"

#include <QList>
#include <QString>

#include <algorithm>

void TableEditor::SetText(std::string_view text)
{
    m_text = m_kind == kMasked ? m_mask.Filter(text) : std::string(text);
}

bool TableEditor::SetAutoGrow(bool grow)
{
    const bool old = m_autoGrow;
    m_autoGrow = grow;
    return old;
}

void TableEditor::SetMask(std::string_view mask)
{
    m_mask.Set(mask);
    m_text = m_mask.Filter(m_text);
}

void TableEditor::SelectAll()
{
    m_selStart = 0;
    m_selEnd = int(QString::fromUtf8(m_text.data(), qsizetype(m_text.size())).toUcs4().size());
}

void TableEditor::GetSelection(int& start, int& end) const
{
    start = m_selStart;
    end = m_selEnd;
}

void TableEditor::InsertAtSelection(char32_t c)
{
    QList<uint> text = QString::fromUtf8(m_text.data(), qsizetype(m_text.size())).toUcs4();
    const int size = int(text.size());
    const int start = std::clamp(m_selStart, 0, size);
    const int end = std::clamp(m_selEnd, start, size);
    text.remove(start, end - start);
    text.insert(start, uint(c));
    m_text = QString::fromUcs4(reinterpret_cast<const char32_t*>(text.constData()), text.size())
                 .toStdString();
    m_selStart = m_selEnd = start + 1;
}

void TableEditor::ReplaceText(const std::string& text, int caret)
{
    m_text = text;
    m_selStart = m_selEnd = caret;
}

bool TableEditor::Type(int ch)
{
    if (ch <= 0)
        return false;
    char32_t c = char32_t(ch);
    if (m_upperCase && c >= 0x20)
        c = char32_t(QChar::toUpper(c));
    const bool printable = c >= 0x20 && c != 0x7F;
    const bool masked = m_kind == kMasked && m_mask.IsMasked();
    int selStart = 0, selEnd = 0;
    if (masked) {
        GetSelection(selStart, selEnd);
        if (!m_mask.Type(GetText(), selStart, selEnd, c).accepted)
            return false;
    }
    int offered = int(c);
    if (m_grid && !m_grid->OnEditorChar(offered))
        return false;
    if (!printable || m_readOnly)
        return !printable;
    c = char32_t(offered);
    if (m_upperCase && c >= 0x20)
        c = char32_t(QChar::toUpper(c));
    if (masked) {
        const TableMask::Typing typing = m_mask.Type(GetText(), selStart, selEnd, c);
        if (!typing.accepted)
            return false;
        ReplaceText(typing.text, typing.caret);
        return true;
    }
    InsertAtSelection(c);
    return true;
}

void TableEditor::ResetEndState()
{
    m_endKey = 0;
    m_cancelled = false;
    m_continue = false;
    m_nextColumn = -1;
    m_nextRow = -1;
}

TableEditorKeyAction DecideEditorKey(int key, int keyFlags, int column, int row,
                                     int32_t extendedStyle)
{
    TableEditorKeyAction a;
    const bool shift = (keyFlags & TableKeyFlags::shift) != 0;
    const bool control = (keyFlags & TableKeyFlags::control) != 0;
    switch (key) {
    case TableKey::tab:
        a.action = TableEditorKeyAction::kEnd;
        a.continueEdit = true;
        a.nextColumn = shift ? column - 1 : column + 1;
        a.nextRow = row;
        break;
    case TableKey::enter:
        if (control && extendedStyle != -1 && (extendedStyle & 2))
            break;
        a.action = TableEditorKeyAction::kEnd;
        a.continueEdit = true;
        a.nextColumn = column;
        a.nextRow = row + 1;
        break;
    case TableKey::down:
    case TableKey::up:
        a.action = TableEditorKeyAction::kEnd;
        a.continueEdit = true;
        a.nextColumn = column;
        a.nextRow = key == TableKey::down ? row + 1 : row - 1;
        break;
    case TableKey::escape:
        a.action = TableEditorKeyAction::kEnd;
        a.cancelled = true;
        break;
    case TableKey::del:
        a.action = TableEditorKeyAction::kDeleteKey;
        break;
    default:
        break;
    }
    return a;
}

void WrapNextCell(int& column, int& row, int columnCount, int rowCount)
{
    if (column < 0)
        column = columnCount - 1;
    else if (column >= columnCount)
        column = 0;
    if (row < 0)
        row = rowCount - 1;
    else if (row >= rowCount)
        row = 0;
}
