// The in-place editors as the grid model sees them, and the decisions taken on keys pressed
// inside an editor. The windows derive from TableEditor and keep the text in their control;
// the base keeps it in memory, so the model works (and is tested) without windows.
#pragma once

#include "grid/input_mask.h"

#include <cstdint>
#include <string>
#include <string_view>

class CTableGridModel;

class TableEditor
{
public:
    enum Kind { kPlain, kMasked };

    explicit TableEditor(Kind kind = kPlain) : m_kind(kind) {}
    virtual ~TableEditor() = default;

    Kind GetKind() const { return m_kind; }

    virtual std::string GetText() const { return m_text; }
    // Sets the text (filtered through the mask of a masked editor).
    virtual void SetText(std::string_view text);
    // Plain editor: whether the editor may grow with its text; returns the previous flag.
    virtual bool SetAutoGrow(bool grow);
    bool GetAutoGrow() const { return m_autoGrow; }
    // Typed letters become capitals.
    virtual void SetUpperCase(bool upper) { m_upperCase = upper; }
    bool GetUpperCase() const { return m_upperCase; }
    virtual void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool IsReadOnly() const { return m_readOnly; }
    // Masked editor: installs the cell's mask (empty: none) and re-filters the text.
    virtual void SetMask(std::string_view mask);
    const TableMask& GetMask() const { return m_mask; }

    // Selects the whole text (an editor that gains the focus does, so typing replaces it).
    virtual void SelectAll();
    // Types a character at the caret over the selection: upper-cased when asked, checked
    // against the mask of a masked editor, then offered to the grid (OnEditorChar). Returns
    // whether it was typed.
    virtual bool Type(int ch);

    // Clears the state of the edit that ends an edit (the key, the cancel and continue flags).
    void ResetEndState();
    // The selection (or the caret, when start equals end), in characters.
    virtual void GetSelection(int& start, int& end) const;

    // State of the edit that the keys set and the grid reads when the editor loses the focus.
    int m_endKey = 0;
    bool m_cancelled = false;
    bool m_continue = false;
    int m_nextColumn = -1;
    int m_nextRow = -1;
    CTableGridModel* m_grid = nullptr;

protected:
    // Puts ch in place of the selection and the caret after it (plain typing).
    virtual void InsertAtSelection(char32_t ch);
    // Replaces the whole text and puts the caret at caret (masked typing).
    virtual void ReplaceText(const std::string& text, int caret);

    Kind m_kind;
    std::string m_text;
    bool m_autoGrow = true;
    bool m_upperCase = false;
    bool m_readOnly = false;
    TableMask m_mask;
    int m_selStart = 0; // in characters
    int m_selEnd = 0;
};

// What a key pressed in an editor does.
struct TableEditorKeyAction
{
    enum Action {
        kNormal,    // ordinary editing
        kEnd,       // the edit ends (the focus goes back to the grid)
        kDeleteKey, // Delete: allowed only when the source and hook EditKey let character 127
                    // through
    };
    Action action = kNormal;
    bool cancelled = false;
    bool continueEdit = false;
    int nextColumn = -1;
    int nextRow = -1;
};

// Tab continues to the next column (Shift: the previous one); Enter to the next row (unless
// Ctrl is held on a cell whose extended style has bit 2, when the line break stays in the
// text); Down and Up to the next and previous row; Escape cancels. extendedStyle is -1 when
// the cell has none.
TableEditorKeyAction DecideEditorKey(int key, int keyFlags, int column, int row,
                                     int32_t extendedStyle);

// The move that ends an edit and continues: a column before the first wraps to the last and
// one past the last to the first; rows likewise.
void WrapNextCell(int& column, int& row, int columnCount, int rowCount);
