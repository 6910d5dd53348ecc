// The update check: fetches the manifest, works out which files the server has newer
// versions of, asks the user, retrieves the accepted updates with their signatures, installs
// those signed with the publisher's key and restarts the program when its own executable was
// replaced. It runs synchronously and talks to the user only through a message box service
// and a status sink, so a window, the command line and the tests drive the same code.
#pragma once

#include "update/archive_extract.h"
#include "update/http_retriever.h"
#include "update/manifest.h"

#include <string>
#include <vector>

namespace nv {
class MessageBoxService;
class Shell;
class StatusSink;
class TempFiles;
} // namespace nv

class UpdateHost;

class CUpdateCheck
{
public:
    CUpdateCheck(nv::MessageBoxService& messages, nv::TempFiles& tempFiles);

    void SetMessages(nv::MessageBoxService& messages) { m_pMessages = &messages; }
    void SetTempFiles(nv::TempFiles& tempFiles) { m_pTempFiles = &tempFiles; }
    // Receives every status text as it is set; may be null.
    void SetStatusSink(nv::StatusSink* sink) { m_pStatusSink = sink; }
    // What the restart step uses to start the new executable and close the main window; either
    // may be null, and the user is then asked to restart by hand.
    void SetRestart(nv::Shell* shell, UpdateHost* host)
    {
        m_pShell = shell;
        m_pHost = host;
    }
    // The folder URL of the update files, ending in '/' (see UpdateBaseUrl()).
    void SetBaseUrl(const std::string& url) { m_strBaseUrl = url; }
    const std::string& BaseUrl() const { return m_strBaseUrl; }
    // The key update files must be signed with: the base64 text of a minisign public key.
    // The build's key (DefaultUpdatePublicKey()) until set.
    void SetPublicKey(const std::string& key) { m_strPublicKey = key; }
    void SetRetrievalLimits(const RetrievalLimits& limits) { m_retrievalLimits = limits; }
    void SetArchiveLimits(const ArchiveLimits& limits) { m_archiveLimits = limits; }

    // Runs the whole check. Returns 1 when updates were installed (whether or not the program
    // restarts), 0 on every other ending; each ending has told the user why. A copy whose
    // folder cannot be written, or that has no valid public key, says so before anything is
    // retrieved. The retrieved files are deleted whichever way the check ends.
    int RunUpdateCheck();

    // The last status text set.
    const std::string& Status() const { return m_strStatus; }
    // The entries of the last manifest read, with their versions and selection.
    const std::vector<UpdateEntry>& Entries() const { return m_entries; }

private:
    void SetStatus(const std::string& text);
    int Message(const std::string& text, bool question);
    bool AcceptedContent(const std::string& path) const;

    nv::MessageBoxService* m_pMessages;
    nv::TempFiles* m_pTempFiles;
    nv::StatusSink* m_pStatusSink = nullptr;
    nv::Shell* m_pShell = nullptr;
    UpdateHost* m_pHost = nullptr;
    std::string m_strBaseUrl;
    std::string m_strPublicKey;
    RetrievalLimits m_retrievalLimits;
    ArchiveLimits m_archiveLimits;
    std::string m_strStatus;
    std::vector<UpdateEntry> m_entries;
};

// The manifest's name on the update server.
extern const char* const kManifestName;
// The user-agent text given for update files.
extern const char* const kUpdateAgent;
