// Scripted message box.
#include "tests/testlib/scripted_message_box.h"

namespace nv::test {

int ScriptedMessageBox::Show(const std::string& text, MessageButtons buttons)
{
    m_shown.push_back({text, buttons});
    if (buttons == MessageButtons::ok)
        return IDOK;
    if (!m_answers.empty()) {
        const int answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    if (buttons == MessageButtons::okCancel && m_default == IDNO)
        return IDCANCEL;
    return m_default;
}

std::vector<std::string> ScriptedMessageBox::Texts() const
{
    std::vector<std::string> out;
    for (const auto& s : m_shown)
        out.push_back(s.text);
    return out;
}

const std::string& ScriptedMessageBox::Last() const
{
    static const std::string none;
    return m_shown.empty() ? none : m_shown.back().text;
}

} // namespace nv::test
