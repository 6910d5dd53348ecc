// The in-place editors.
#include "grid/widgets/table_editors.h"

#include "grid/widgets/grid_components.h"
#include "grid/widgets/table_grid.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>

namespace {

// Positions in characters (code points) and in the UTF-16 units Qt counts.
int CharactersBefore(const QString& text, int units)
{
    return int(text.left(units).toUcs4().size());
}

int UnitsBefore(const QString& text, int characters)
{
    const QList<uint> all = text.toUcs4();
    characters = std::clamp(characters, 0, int(all.size()));
    return int(
        QString::fromUcs4(reinterpret_cast<const char32_t*>(all.constData()), characters).size());
}

bool EndsOrDeletes(int key)
{
    return key == TableKey::tab || key == TableKey::enter || key == TableKey::up ||
           key == TableKey::down || key == TableKey::escape || key == TableKey::del;
}

bool IsPrintable(uint ch)
{
    return ch >= 0x20 && ch != 0x7F;
}

// A key pressed in an editor: the keys that end an edit (and Delete) go to the grid, typed
// characters are offered to it and typed by the editor. True when the control should handle
// the key itself (Delete and Enter when the grid lets them through, caret movement).
bool PassKeyOn(CTableGrid* grid, TableEditor& editor, QKeyEvent* event)
{
    grid->SetModifierKeys(TableKeyFlagsOf(QApplication::mouseButtons(), event->modifiers()));
    const int key = TableKeyOf(event);
    if (EndsOrDeletes(key))
        return grid->OnEditorKeyDown(key);
    const QList<uint> chars = event->text().toUcs4();
    if (chars.isEmpty())
        return true;
    for (uint ch : chars)
        editor.Type(int(ch));
    return false;
}

// Editors want the keys that end an edit and plain typing before any shortcut.
bool OverridesShortcut(QEvent* event)
{
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    const bool typing = !text.isEmpty() && IsPrintable(text.front().unicode()) &&
                        !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (!EndsOrDeletes(TableKeyOf(key)) && !typing)
        return false;
    event->accept();
    return true;
}

// Tab and Shift+Tab would move the focus to the next window.
bool IsTabPress(QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    return key == Qt::Key_Tab || key == Qt::Key_Backtab;
}

// What an allowed control character does in an edit field; true when the text may have
// changed.
template <typename Edit> bool ControlCharacter(Edit& edit, int ch)
{
    switch (ch) {
    case 0x01:
        edit.selectAll();
        return false;
    case 0x03:
        edit.copy();
        return false;
    case 0x16:
        edit.paste();
        return true;
    case 0x18:
        edit.cut();
        return true;
    case 0x19:
        edit.redo();
        return true;
    case 0x1A:
        edit.undo();
        return true;
    default:
        return false;
    }
}

bool IgnoredFocusChange(const QFocusEvent* event)
{
    // The window lost the activation, or a popup (such as the editor's own menu) opened:
    // the edit stays open.
    return event->reason() == Qt::ActiveWindowFocusReason ||
           event->reason() == Qt::PopupFocusReason;
}

} // namespace

// ---- CTableEdit

CTableEdit::CTableEdit(CTableGrid* grid) : QPlainTextEdit(grid), TableEditor(kPlain), m_owner(grid)
{
    setProperty(CTableGrid::kControlIdProperty, CTableGrid::kIdEdit);
    setObjectName("tableEdit");
    // A thin frame in the highlight colour shows where the edit is.
    setStyleSheet("CTableEdit { border: 1px solid palette(highlight); }");
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setTabChangesFocus(false);
    document()->setDocumentMargin(1);
    hide();
    connect(this, &QPlainTextEdit::textChanged, this, [this] { m_owner->EditorTextChanged(this); });
}

std::string CTableEdit::GetText() const
{
    return toPlainText().toStdString();
}

void CTableEdit::SetText(std::string_view text)
{
    setPlainText(QString::fromUtf8(text.data(), qsizetype(text.size())));
}

void CTableEdit::SelectAll()
{
    selectAll();
}

void CTableEdit::SetReadOnly(bool readOnly)
{
    TableEditor::SetReadOnly(readOnly);
    setReadOnly(readOnly);
}

void CTableEdit::GetSelection(int& start, int& end) const
{
    const QString text = toPlainText();
    const QTextCursor cursor = textCursor();
    start = CharactersBefore(text, cursor.selectionStart());
    end = CharactersBefore(text, cursor.selectionEnd());
}

void CTableEdit::InsertAtSelection(char32_t ch)
{
    insertPlainText(QString::fromUcs4(&ch, 1));
}

bool CTableEdit::Type(int ch)
{
    if (!TableEditor::Type(ch))
        return false;
    if (ch == 0x08)
        textCursor().deletePreviousChar();
    else
        ControlCharacter(*this, ch);
    return true;
}

bool CTableEdit::event(QEvent* event)
{
    if (IsTabPress(event)) {
        keyPressEvent(static_cast<QKeyEvent*>(event));
        return true;
    }
    return OverridesShortcut(event) || QPlainTextEdit::event(event);
}

void CTableEdit::keyPressEvent(QKeyEvent* event)
{
    if (PassKeyOn(m_owner, *this, event))
        QPlainTextEdit::keyPressEvent(event);
    else
        event->accept();
}

void CTableEdit::focusInEvent(QFocusEvent* event)
{
    QPlainTextEdit::focusInEvent(event);
    if (IgnoredFocusChange(event))
        return;
    ResetEndState();
    selectAll();
    ensureCursorVisible();
}

void CTableEdit::focusOutEvent(QFocusEvent* event)
{
    QPlainTextEdit::focusOutEvent(event);
    if (!IgnoredFocusChange(event))
        m_owner->EditorLostFocus(this);
}

void CTableEdit::insertFromMimeData(const QMimeData* source)
{
    QString text = source->text();
    if (GetUpperCase())
        text = text.toUpper();
    insertPlainText(text);
}

// ---- CTableMaskEdit

CTableMaskEdit::CTableMaskEdit(CTableGrid* grid)
    : QLineEdit(grid), TableEditor(kMasked), m_owner(grid)
{
    setProperty(CTableGrid::kControlIdProperty, CTableGrid::kIdMaskEdit);
    setObjectName("tableMaskEdit");
    setStyleSheet("CTableMaskEdit { border: 1px solid palette(highlight); padding: 0px; }");
    hide();
    connect(this, &QLineEdit::textEdited, this, [this] { Refilter(); });
}

std::string CTableMaskEdit::GetText() const
{
    return text().toStdString();
}

void CTableMaskEdit::SetText(std::string_view text)
{
    m_filtering = true;
    setText(QString::fromStdString(m_mask.Filter(text)));
    m_filtering = false;
}

void CTableMaskEdit::SelectAll()
{
    selectAll();
}

void CTableMaskEdit::SetReadOnly(bool readOnly)
{
    TableEditor::SetReadOnly(readOnly);
    setReadOnly(readOnly);
}

void CTableMaskEdit::SetMask(std::string_view mask)
{
    m_mask.Set(mask);
    setMaxLength(m_mask.IsMasked() ? std::max<int>(1, int(m_mask.Length())) : 32767);
    Refilter();
}

void CTableMaskEdit::GetSelection(int& start, int& end) const
{
    const QString t = text();
    if (hasSelectedText()) {
        start = CharactersBefore(t, selectionStart());
        end = CharactersBefore(t, selectionEnd());
    } else {
        start = end = CharactersBefore(t, cursorPosition());
    }
}

void CTableMaskEdit::InsertAtSelection(char32_t ch)
{
    insert(QString::fromUcs4(&ch, 1));
}

void CTableMaskEdit::ReplaceText(const std::string& text, int caret)
{
    m_filtering = true;
    const QString t = QString::fromStdString(text);
    setText(t);
    setCursorPosition(UnitsBefore(t, caret));
    m_filtering = false;
}

bool CTableMaskEdit::Type(int ch)
{
    if (!TableEditor::Type(ch))
        return false;
    if (ch == 0x08) {
        backspace();
        Refilter();
    } else if (ControlCharacter(*this, ch)) {
        Refilter();
    }
    return true;
}

void CTableMaskEdit::Refilter()
{
    if (m_filtering)
        return;
    QString t = text();
    if (GetUpperCase())
        t = t.toUpper();
    const QString filtered = QString::fromStdString(m_mask.Filter(t.toStdString()));
    if (filtered == text())
        return;
    const int caret = CharactersBefore(text(), cursorPosition());
    m_filtering = true;
    setText(filtered);
    setCursorPosition(UnitsBefore(filtered, caret));
    m_filtering = false;
}

bool CTableMaskEdit::event(QEvent* event)
{
    if (IsTabPress(event)) {
        keyPressEvent(static_cast<QKeyEvent*>(event));
        return true;
    }
    return OverridesShortcut(event) || QLineEdit::event(event);
}

void CTableMaskEdit::keyPressEvent(QKeyEvent* event)
{
    if (PassKeyOn(m_owner, *this, event)) {
        QLineEdit::keyPressEvent(event);
        Refilter();
    } else {
        event->accept();
    }
}

void CTableMaskEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (IgnoredFocusChange(event))
        return;
    ResetEndState();
    selectAll();
}

void CTableMaskEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (!IgnoredFocusChange(event))
        m_owner->EditorLostFocus(this);
}
