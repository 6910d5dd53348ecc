// Console message boxes.
#include "platform/message_box.h"

#include <iostream>

namespace nv {

ConsoleMessageBox::ConsoleMessageBox(bool consent) : m_out(std::cerr), m_consent(consent) {}

int ConsoleMessageBox::Show(const std::string& text, MessageButtons buttons)
{
    m_out << text << "\n";
    switch (buttons) {
    case MessageButtons::ok:
        m_out.flush();
        return IDOK;
    case MessageButtons::yesNo:
        m_out << "[" << (m_consent ? "Yes" : "No") << "]" << std::endl;
        return m_consent ? IDYES : IDNO;
    case MessageButtons::okCancel:
        m_out << "[" << (m_consent ? "OK" : "Cancel") << "]" << std::endl;
        return m_consent ? IDOK : IDCANCEL;
    }
    return IDCANCEL;
}

} // namespace nv
