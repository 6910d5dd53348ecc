// The update check, step by step.
#include "update/update_check.h"

#include "platform/app_paths.h"
#include "platform/file.h"
#include "platform/message_box.h"
#include "support/log.h"
#include "support/paths.h"
#include "update/signature.h"
#include "update/status_sink.h"
#include "update/update_installer.h"
#include "update/update_url.h"
#include "update/versions.h"

#include <cstring>
#include <memory>
#include <unistd.h>

const char* const kManifestName = "Nulo_Vandrel_Version.txt";
const char* const kUpdateAgent = "RuzOrav demo";

namespace {

const char* const kPackageManaged =
    "Updates for this copy of Nulo Vandrel come from the system's package manager.";
const char* const kNoPublicKey = "ERROR:  This copy of Nulo Vandrel has no key to check update "
                                 "files with, so it cannot install updates.";
const char* const kManifestNotSigned = "ERROR:  The update information on the server is not "
                                       "signed by the publisher of Nulo Vandrel. No update was "
                                       "installed.";

// The files retrieved during one check, deleted when it ends, whichever way.
class RetrievedFiles
{
public:
    RetrievedFiles() = default;
    RetrievedFiles(const RetrievedFiles&) = delete;
    RetrievedFiles& operator=(const RetrievedFiles&) = delete;
    ~RetrievedFiles()
    {
        for (const std::string& path : m_paths)
            ::unlink(path.c_str());
    }
    void Add(const std::string& path)
    {
        if (!path.empty())
            m_paths.push_back(path);
    }

private:
    std::vector<std::string> m_paths;
};

// Reads the whole file into text; false when it cannot be opened. tooLong is set (and text
// left incomplete) when the file holds more than limit bytes.
bool ReadLimited(const std::string& path, size_t limit, std::string& text, bool& tooLong)
{
    text.clear();
    tooLong = false;
    nv::File file;
    if (!file.Open(path, nv::File::modeRead))
        return false;
    try {
        char buffer[16384];
        size_t n;
        while ((n = file.Read(buffer, sizeof buffer)) > 0) {
            if (text.size() + n > limit) {
                tooLong = true;
                break;
            }
            text.append(buffer, n);
        }
    } catch (const nv::FileError&) {
        tooLong = true; // what could be read is not a whole manifest
    }
    return true;
}

} // namespace

CUpdateCheck::CUpdateCheck(nv::MessageBoxService& messages, nv::TempFiles& tempFiles)
    : m_pMessages(&messages), m_pTempFiles(&tempFiles), m_strPublicKey(DefaultUpdatePublicKey())
{}

void CUpdateCheck::SetStatus(const std::string& text)
{
    m_strStatus = text;
    if (m_pStatusSink)
        m_pStatusSink->ShowStatus(text);
}

int CUpdateCheck::Message(const std::string& text, bool question)
{
    return m_pMessages->Show(text, question ? nv::MessageButtons::yesNo : nv::MessageButtons::ok);
}

bool CUpdateCheck::AcceptedContent(const std::string& path) const
{
    nv::File file;
    if (!file.Open(path, nv::File::modeRead))
        return false;
    unsigned char head[4] = {};
    size_t n = 0;
    try {
        n = file.Read(head, sizeof head);
    } catch (const nv::FileError&) {
        n = 0;
    }
    file.Abort();
    return n > 0 && ((n >= 2 && std::memcmp(head, "PK", 2) == 0) ||
                     (n >= 4 && std::memcmp(head, "ITSF", 4) == 0));
}

int CUpdateCheck::RunUpdateCheck()
{
    m_entries.clear();
    const std::string executable = nv::ApplicationPath();
    std::string appFolder;
    GetPathFolder(executable, appFolder);
    // An installed copy gets its updates from the package manager that installed it.
    if (nv::IsInstalledCopy()) {
        Message(kPackageManaged, false);
        return 0;
    }
    MinisignPublicKey key;
    std::string why;
    if (!ParseMinisignPublicKey(m_strPublicKey, key, &why)) {
        LogWriteText("ERROR: No key for update signatures: %s", why.c_str());
        Message(kNoPublicKey, false);
        return 0;
    }

    SetStatus("Connecting to update server...");
    RetrievedFiles retrieved;
    // One session for the manifest and every update; it is closed whichever way the check ends.
    auto retriever = std::make_unique<CHttpRetriever>(*m_pTempFiles, m_retrievalLimits);

    std::string manifestPath;
    const bool manifestFetched =
        retriever->RetrieveToTempFile(m_strBaseUrl + kManifestName, manifestPath);
    retrieved.Add(manifestPath);
    if (!manifestFetched) {
        Message("ERROR:  Unable to retrieve update information.", false);
        return 0;
    }
    // The update list says which file goes where and which version it is, so it must be the
    // publisher's too: otherwise a server could put one signed file in another's place or
    // offer an old one as new.
    std::string manifestSignature;
    const bool signatureFetched =
        retriever->RetrieveToTempFile(m_strBaseUrl + kManifestName + ".minisig", manifestSignature);
    retrieved.Add(manifestSignature);

    SetStatus("Checking update info...");
    std::string text;
    bool tooLong = false;
    if (!ReadLimited(manifestPath, kMaxManifestBytes, text, tooLong)) {
        Message("ERROR:  Unable to open retrieved update information.", false);
        return 0;
    }
    const ManifestStatus status =
        tooLong ? ManifestStatus::notManifest : ParseManifest(text, m_entries);
    if (status == ManifestStatus::notManifest) {
        Message("ERROR:  Update information is not available on the server.", false);
        return 0;
    }
    if (status == ManifestStatus::empty) {
        Message("ERROR:  Unable to read retrieved update information.", false);
        return 0;
    }
    why = "no signature was retrieved";
    if (!signatureFetched || VerifySignedFile(manifestPath, manifestSignature, key, &why,
                                              kManifestName) != SignatureCheck::valid) {
        LogWriteText("ERROR: Update information refused: %s", why.c_str());
        m_entries.clear();
        Message(kManifestNotSigned, false);
        return 0;
    }

    for (UpdateEntry& entry : m_entries)
        entry.localVersion = LocalVersion(appFolder + entry.localName);

    size_t offered = 0;
    std::string list;
    for (UpdateEntry& entry : m_entries) {
        entry.selected = IsNewerVersion(entry.localVersion, entry.manifestVersion);
        if (entry.selected) {
            ++offered;
            list += entry.localName + "  Ver. " + entry.manifestVersion + "\n";
        }
    }
    if (offered == 0) {
        SetStatus("No update available");
        Message("No new versions are available.", false);
        return 0;
    }
    std::string question = "There are updates available for the following:\n\n" + list;
    if (offered == 1) {
        SetStatus("New update is available");
        question += "\nWould you like to download and install it?";
    } else {
        SetStatus("New updates are available");
        question += "\n\nWould you like to download and install them?";
    }
    if (Message(question, true) != nv::IDYES)
        return 0;

    SetStatus(offered == 1 ? "Retrieving update..." : "Retrieving updates...");
    size_t position = 0;
    for (UpdateEntry& entry : m_entries) {
        if (!entry.selected) {
            entry.tempFile.clear();
            continue;
        }
        ++position;
        std::string tempPath;
        const std::string url = m_strBaseUrl + entry.serverName;
        const bool fetched = retriever->RetrieveToTempFile(url, tempPath, kUpdateAgent);
        retrieved.Add(tempPath);
        if (fetched)
            entry.tempFile = tempPath;
        if (fetched && AcceptedContent(tempPath)) {
            // The signature lies beside the file; the installer refuses a file without one.
            std::string signaturePath;
            if (retriever->RetrieveToTempFile(url + ".minisig", signaturePath, kUpdateAgent))
                entry.signatureFile = signaturePath;
            retrieved.Add(signaturePath);
            continue;
        }
        std::string message = "ERROR:  Unable to retrieve update for " + entry.localName + ".";
        if (position < offered) {
            message += "  Would you like to continue with the other updates?";
            if (Message(message, true) != nv::IDYES)
                return 0;
            entry.selected = false;
        } else {
            Message(message, false);
            return 0;
        }
    }

    SetStatus(offered < 2 ? "Installing new update..." : "Installing new updates...");
    CUpdateInstaller installer(*m_pMessages, key, m_archiveLimits);
    if (!installer.InstallUpdates(m_entries, appFolder))
        return 0;

    retriever.reset();
#ifdef _WIN32
    bool ownExecutable = false;
    for (const UpdateEntry& entry : m_entries)
        if (entry.selected &&
            (appFolder + entry.localName).find("Nulo_Vandrel.exe") != std::string::npos)
            ownExecutable = true;
#else
    // The running executable's file was replaced, by a copy or by an unpacked archive.
    const bool ownExecutable = installer.Replaced(executable);
#endif
    if (ownExecutable) {
        RestartApplication(executable, m_pShell, m_pHost, *m_pMessages);
        return 1;
    }
    Message("Updates downloaded/installed successfully.", false);
    return 1;
}
