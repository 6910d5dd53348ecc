// A simple point table for the main window, in the place where the full grid control goes.
#pragma once

#include "app/dialog_host.h"

#include <QTableWidget>

#include <functional>

// The point table: two rows of four cells under headings. Coordinate cells are shown through
// a display function; every cell is checked by a validation function when an edit ends, and a
// refused edit reopens the editor with the text typed.
class StandInPointTable : public QTableWidget, public PointTable
{
    Q_OBJECT
public:
    using DisplayFn = std::function<std::string(const std::string& text, bool longitude)>;
    using ValidateFn = std::function<bool(int column, const std::string& text)>;
    using ChangedFn = std::function<void(int column, int row)>;

    explicit StandInPointTable(QWidget* parent = nullptr);
    void SetDisplay(DisplayFn display) { m_display = std::move(display); }
    void SetValidate(ValidateFn validate) { m_validate = std::move(validate); }
    // Called when an edit has changed a cell's text.
    void SetChanged(ChangedFn changed) { m_changed = std::move(changed); }

    void SetCellText(int column, int row, const std::string& text) override;
    std::string GetCellText(int column, int row) override;
    void RedrawAll() override;
    void FitColumns() override;

    // Commits text typed into a cell: checks coordinates, stores the text. False when the
    // check refused it.
    bool CommitEdit(int column, int row, const std::string& text);

private:
    std::string RawText(int column, int row) const;
    void Refresh(int column, int row);
    void NormaliseCell(int column, int row);

    DisplayFn m_display;
    ValidateFn m_validate;
    ChangedFn m_changed;
};
