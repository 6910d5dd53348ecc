// Qt message boxes.
#include "platform/widgets/qt_message_box.h"

#include <QMessageBox>

namespace nv {

int QtMessageBox::Show(const std::string& text, MessageButtons buttons)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(QString::fromStdString(m_title));
    box.setText(QString::fromStdString(text));
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (buttons) {
    case MessageButtons::ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        if (text.rfind("ERROR:", 0) == 0)
            icon = QMessageBox::Critical;
        break;
    case MessageButtons::yesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        icon = QMessageBox::Question;
        break;
    case MessageButtons::okCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Cancel);
        icon = QMessageBox::Question;
        break;
    }
    box.setIcon(icon);
    switch (box.exec()) {
    case QMessageBox::Ok:
        return IDOK;
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    default:
        return buttons == MessageButtons::yesNo ? IDNO : IDCANCEL;
    }
}

} // namespace nv
