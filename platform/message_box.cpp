// Console message boxes.
#include "platform/message_box.h"

#include <cstdio>

namespace nv {

int ConsoleMessageBox::Show(const std::string& text, MessageButtons buttons)
{
    std::fprintf(stderr, "%s\n", text.c_str());
    switch (buttons) {
    case MessageButtons::ok:
        return IDOK;
    case MessageButtons::yesNo:
        std::fprintf(stderr, "[%s]\n", m_consent ? "Yes" : "No");
        return m_consent ? IDYES : IDNO;
    case MessageButtons::okCancel:
        std::fprintf(stderr, "[%s]\n", m_consent ? "OK" : "Cancel");
        return m_consent ? IDOK : IDCANCEL;
    }
    return IDCANCEL;
}

} // namespace nv
