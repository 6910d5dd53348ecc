// The grid's find and replace dialog: a modeless dialog whose requests the grid carries out
// from its current cell. It only asks; the grid searches, moves and replaces.
#pragma once

#include "grid/grid_model.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QLabel;

class CTableFindDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CTableFindDialog(QWidget* parent);

    // Shows the replace fields and buttons or hides them.
    void SetReplaceMode(bool replace);

    QLineEdit* FindEdit() const { return m_find; }
    QPushButton* FindNextButton() const { return m_findNext; }

    // The request the dialog's fields and options make, for a plain find or a replace.
    TableFindRequest MakeRequest(bool replace, bool replaceAll) const;

signals:
    void Requested(const TableFindRequest& request);
    void Closed();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    QLineEdit* m_find;
    QLabel* m_replaceLabel;
    QLineEdit* m_replace;
    QCheckBox* m_wholeWord;
    QCheckBox* m_matchCase;
    QRadioButton* m_up;
    QRadioButton* m_down;
    QPushButton* m_findNext;
    QPushButton* m_replaceOne;
    QPushButton* m_replaceAll;
};
