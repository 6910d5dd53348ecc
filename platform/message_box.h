// Modal message boxes. Only IDYES and IDOK count as consent.
#pragma once

#include <iosfwd>
#include <string>

namespace nv {

enum class MessageButtons { ok, yesNo, okCancel };

enum MessageResult { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

inline bool IsConsent(int result)
{
    return result == IDOK || result == IDYES;
}

class MessageBoxService
{
public:
    virtual ~MessageBoxService() = default;
    // Shows text with the given buttons under the application title; returns the button
    // pressed (closing the box counts as Cancel or No).
    virtual int Show(const std::string& text, MessageButtons buttons) = 0;
};

// Message boxes for the command line: the text goes to standard error, and every question
// is answered by a fixed policy (OK boxes are acknowledged).
class ConsoleMessageBox : public MessageBoxService
{
public:
    // Writes to standard error.
    explicit ConsoleMessageBox(bool consent);
    ConsoleMessageBox(std::ostream& out, bool consent) : m_out(out), m_consent(consent) {}
    int Show(const std::string& text, MessageButtons buttons) override;
    void SetConsent(bool consent) { m_consent = consent; }

private:
    std::ostream& m_out;
    bool m_consent;
};

} // namespace nv
