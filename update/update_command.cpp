// The update check on the command line.
#include "update/update_command.h"

#include "platform/message_box.h"
#include "platform/temp_files.h"
#include "update/status_sink.h"
#include "update/update_check.h"
#include "update/update_url.h"

#include <ostream>

namespace {

// Message boxes as lines of text; questions get the fixed answer, shown after them.
class StreamMessageBox : public nv::MessageBoxService
{
public:
    StreamMessageBox(std::ostream& out, std::ostream& err, bool consent)
        : m_out(out), m_err(err), m_consent(consent)
    {}

    int Show(const std::string& text, nv::MessageButtons buttons) override
    {
        std::ostream& stream = text.rfind("ERROR:", 0) == 0 ? m_err : m_out;
        stream << text << '\n';
        switch (buttons) {
        case nv::MessageButtons::ok:
            return nv::IDOK;
        case nv::MessageButtons::yesNo:
            stream << (m_consent ? "[Yes]" : "[No]") << '\n';
            return m_consent ? nv::IDYES : nv::IDNO;
        case nv::MessageButtons::okCancel:
            stream << (m_consent ? "[OK]" : "[Cancel]") << '\n';
            return m_consent ? nv::IDOK : nv::IDCANCEL;
        }
        return nv::IDCANCEL;
    }

private:
    std::ostream& m_out;
    std::ostream& m_err;
    bool m_consent;
};

class StreamStatus : public nv::StatusSink
{
public:
    explicit StreamStatus(std::ostream& out) : m_out(out) {}
    void ShowStatus(const std::string& text) override
    {
        if (!text.empty())
            m_out << text << '\n' << std::flush;
    }

private:
    std::ostream& m_out;
};

} // namespace

int RunCheckUpdatesCommand(const std::vector<std::string>& args, std::ostream& out,
                           std::ostream& err, const std::string& publicKey)
{
    bool consent = false;
    for (const std::string& arg : args) {
        if (arg == "--yes" && !consent) {
            consent = true;
        } else {
            err << "Usage: Nulo_Vandrel --check-updates [--yes]\n";
            return 2;
        }
    }
    StreamMessageBox messages(out, err, consent);
    StreamStatus status(out);
    nv::SystemTempFiles tempFiles;
    CUpdateCheck check(messages, tempFiles);
    check.SetStatusSink(&status);
    check.SetBaseUrl(UpdateBaseUrl());
    check.SetPublicKey(publicKey);
    // No window to close and no instance to start: the restart step asks the user to start
    // the program again.
    check.SetRestart(nullptr, nullptr);
    return check.RunUpdateCheck() == 1 ? 0 : 1;
}
