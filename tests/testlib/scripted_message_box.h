// A message box for tests: records every text shown and answers from a script.
#pragma once

#include "platform/message_box.h"

#include <deque>
#include <string>
#include <vector>

namespace nv::test {

class ScriptedMessageBox : public MessageBoxService
{
public:
    struct Shown
    {
        std::string text;
        MessageButtons buttons;
    };

    // Queues the answer to the next question; unscripted questions get the default answer.
    void Answer(int result) { m_answers.push_back(result); }
    // The answer to questions without a scripted one (IDOK for OK boxes regardless).
    void SetDefaultAnswer(int result) { m_default = result; }

    int Show(const std::string& text, MessageButtons buttons) override;

    const std::vector<Shown>& All() const { return m_shown; }
    std::vector<std::string> Texts() const;
    size_t Count() const { return m_shown.size(); }
    const std::string& Last() const;
    void Clear() { m_shown.clear(); }

private:
    std::deque<int> m_answers;
    std::vector<Shown> m_shown;
    int m_default = IDNO;
};

} // namespace nv::test
