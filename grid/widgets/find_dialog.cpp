// The grid's find and replace dialog.
#include "grid/widgets/find_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

CTableFindDialog::CTableFindDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("findDialog");
    setModal(false);
    auto* fields = new QGridLayout;
    m_find = new QLineEdit(this);
    m_replace = new QLineEdit(this);
    auto* findLabel = new QLabel(tr("Fi&nd what:"), this);
    findLabel->setBuddy(m_find);
    m_replaceLabel = new QLabel(tr("Re&place with:"), this);
    m_replaceLabel->setBuddy(m_replace);
    fields->addWidget(findLabel, 0, 0);
    fields->addWidget(m_find, 0, 1);
    fields->addWidget(m_replaceLabel, 1, 0);
    fields->addWidget(m_replace, 1, 1);

    m_wholeWord = new QCheckBox(tr("Match &whole word only"), this);
    m_matchCase = new QCheckBox(tr("Match &case"), this);
    auto* direction = new QGroupBox(tr("Direction"), this);
    m_up = new QRadioButton(tr("&Up"), direction);
    m_down = new QRadioButton(tr("&Down"), direction);
    m_down->setChecked(true);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(m_up);
    directionLayout->addWidget(m_down);
    auto* options = new QHBoxLayout;
    auto* boxes = new QVBoxLayout;
    boxes->addWidget(m_wholeWord);
    boxes->addWidget(m_matchCase);
    options->addLayout(boxes);
    options->addWidget(direction);

    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(options);
    left->addStretch();

    m_findNext = new QPushButton(tr("&Find Next"), this);
    m_findNext->setDefault(true);
    m_replaceOne = new QPushButton(tr("&Replace"), this);
    m_replaceAll = new QPushButton(tr("Replace &All"), this);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_findNext);
    buttons->addWidget(m_replaceOne);
    buttons->addWidget(m_replaceAll);
    buttons->addWidget(cancel);
    buttons->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(buttons);

    connect(m_findNext, &QPushButton::clicked, this,
            [this] { emit Requested(MakeRequest(false, false)); });
    connect(m_replaceOne, &QPushButton::clicked, this,
            [this] { emit Requested(MakeRequest(true, false)); });
    connect(m_replaceAll, &QPushButton::clicked, this,
            [this] { emit Requested(MakeRequest(false, true)); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto enable = [this] {
        const bool any = !m_find->text().isEmpty();
        m_findNext->setEnabled(any);
        m_replaceOne->setEnabled(any);
        m_replaceAll->setEnabled(any);
    };
    connect(m_find, &QLineEdit::textChanged, this, enable);
    enable();
    SetReplaceMode(false);
}

void CTableFindDialog::SetReplaceMode(bool replace)
{
    setWindowTitle(replace ? tr("Replace") : tr("Find"));
    m_replaceLabel->setVisible(replace);
    m_replace->setVisible(replace);
    m_replaceOne->setVisible(replace);
    m_replaceAll->setVisible(replace);
}

TableFindRequest CTableFindDialog::MakeRequest(bool replace, bool replaceAll) const
{
    TableFindRequest request;
    request.findText = m_find->text().toStdString();
    request.replaceText = m_replace->text().toStdString();
    request.matchCase = m_matchCase->isChecked();
    request.wholeWord = m_wholeWord->isChecked();
    request.searchDown = !m_up->isChecked();
    request.replace = replace;
    request.replaceAll = replaceAll;
    return request;
}

void CTableFindDialog::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    emit Closed();
}
