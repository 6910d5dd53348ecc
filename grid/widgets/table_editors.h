// The grid's in-place editors: CTableEdit (several lines, growing with its text) and
// CTableMaskEdit (one line, typing checked against the cell's input mask). Their keys go to the
// grid model, which decides what ends an edit, what may be typed and where the edit goes next;
// losing the focus ends the edit through the grid.
#pragma once

#include "grid/editor.h"

#include <QLineEdit>
#include <QPlainTextEdit>

class CTableGrid;

class CTableEdit : public QPlainTextEdit, public TableEditor
{
    Q_OBJECT
public:
    explicit CTableEdit(CTableGrid* grid);

    std::string GetText() const override;
    void SetText(std::string_view text) override;
    void SelectAll() override;
    void SetReadOnly(bool readOnly) override;
    void GetSelection(int& start, int& end) const override;
    // Typed characters as the grid allows them; a control character that is allowed does what
    // it does in an edit field (Backspace, Ctrl+C, Ctrl+V, Ctrl+X, Ctrl+A, Ctrl+Z).
    bool Type(int ch) override;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    void InsertAtSelection(char32_t ch) override;

private:
    CTableGrid* m_owner;
};

class CTableMaskEdit : public QLineEdit, public TableEditor
{
    Q_OBJECT
public:
    explicit CTableMaskEdit(CTableGrid* grid);

    std::string GetText() const override;
    void SetText(std::string_view text) override;
    void SelectAll() override;
    void SetReadOnly(bool readOnly) override;
    void SetMask(std::string_view mask) override;
    void GetSelection(int& start, int& end) const override;
    bool Type(int ch) override;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void InsertAtSelection(char32_t ch) override;
    void ReplaceText(const std::string& text, int caret) override;

private:
    // Rebuilds the text from the mask after a change other than typing (deleting, pasting).
    void Refilter();

    CTableGrid* m_owner;
    bool m_filtering = false;
};
