// The drop-down list of a drop-list cell: a popup under the cell that stays on the screen that
// holds the cell. A click on a choice or Enter chooses; Escape, a click elsewhere or the loss
// of the focus closes it without a choice. Either way its owner is told once.
#pragma once

#include "grid/table_types.h"

#include <QListWidget>

#include <string>
#include <vector>

class TableDropListOwner;

class CTableDropList : public QListWidget
{
    Q_OBJECT
public:
    explicit CTableDropList(QWidget* owner);

    // Shows choices under cell (screen coordinates) in font, items itemHeight high.
    void Open(TableDropListOwner* owner, const QRect& cell, const std::vector<std::string>& choices,
              const QFont& font, int itemHeight);
    // Closes the list without telling the owner.
    void Close();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Choose(int index);

    TableDropListOwner* m_owner = nullptr;
};
