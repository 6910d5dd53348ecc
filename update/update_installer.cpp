// Installation of retrieved updates: signature check, backup, unpack or copy, clean-up, and the
// restart step.
#include "update/update_installer.h"

#include "platform/message_box.h"
#include "platform/shell.h"
#include "platform/temp_files.h"
#include "support/file_copy.h"
#include "support/log.h"
#include "support/paths.h"
#include "update/update_url.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kDecompressError = "ERROR:  Unable to decompress retrieved update.";
const char* const kCopyError = "ERROR:  Unable to copy retrieved update to the application folder.";

// What the user is told when an update's signature is missing, unreadable or not the
// publisher's; each names the file.
std::string SignatureMessage(const std::string& localName, bool retrieved, SignatureCheck check)
{
    if (!retrieved)
        return "ERROR:  Unable to retrieve the signature of the update for " + localName +
               ". The update was not installed.";
    if (check == SignatureCheck::unreadable)
        return "ERROR:  The signature of the update for " + localName +
               " cannot be read. The update was not installed.";
    return "ERROR:  The update for " + localName +
           " is not signed by the publisher of Nulo Vandrel. The update was not installed.";
}

std::string Normal(const std::string& path)
{
    return std::filesystem::path(path).lexically_normal().string();
}

// Moves an installed file to its backup name, and back again when the installation fails.
// An older backup of the same name is kept aside until the installation has succeeded.
class BackupMove
{
public:
    BackupMove(std::string target, std::string backup)
        : m_target(std::move(target)), m_backup(std::move(backup))
    {}

    bool Make()
    {
        struct stat st;
        if (::stat(m_target.c_str(), &st) == 0)
            m_execBits = unsigned(st.st_mode) & 0111;
        if (FileExists(m_backup)) {
            m_aside = nv::CreateTempFileIn(GetFolder(m_backup), ".nv-backup-");
            if (m_aside.empty() || ::rename(m_backup.c_str(), m_aside.c_str()) != 0) {
                if (!m_aside.empty())
                    ::unlink(m_aside.c_str());
                m_aside.clear();
                ::unlink(m_backup.c_str());
            }
        }
        if (::rename(m_target.c_str(), m_backup.c_str()) != 0) {
            LogWriteText("ERROR: Unable to rename \"%s\" to \"%s\": %s", m_target.c_str(),
                         m_backup.c_str(), std::strerror(errno));
            RestoreAside();
            return false;
        }
        return true;
    }

    void Restore()
    {
        if (::rename(m_backup.c_str(), m_target.c_str()) != 0)
            LogWriteText("ERROR: Unable to restore \"%s\" from \"%s\": %s", m_target.c_str(),
                         m_backup.c_str(), std::strerror(errno));
        RestoreAside();
    }

    void Commit()
    {
        if (!m_aside.empty())
            ::unlink(m_aside.c_str());
        m_aside.clear();
    }

    unsigned ExecBits() const { return m_execBits; }

private:
    static std::string GetFolder(const std::string& path)
    {
        std::string folder;
        GetPathFolder(path, folder);
        return folder;
    }

    void RestoreAside()
    {
        if (!m_aside.empty())
            ::rename(m_aside.c_str(), m_backup.c_str());
        m_aside.clear();
    }

    std::string m_target;
    std::string m_backup;
    std::string m_aside;
    unsigned m_execBits = 0;
};

} // namespace

CUpdateInstaller::CUpdateInstaller(nv::MessageBoxService& messages, const MinisignPublicKey& key,
                                   const ArchiveLimits& limits)
    : m_pMessages(&messages), m_key(key), m_limits(limits)
{}

std::string CUpdateInstaller::BackupPath(const std::string& appFolder, const std::string& localName,
                                         const std::string& localVersion)
{
    std::string title, extension;
    GetPathTitle(localName, title);
    GetPathExtension(localName, extension);
    return appFolder + title + " v" + localVersion + extension;
}

bool CUpdateInstaller::InstallUpdates(std::vector<UpdateEntry>& entries,
                                      const std::string& appFolder)
{
    for (UpdateEntry& entry : entries)
        if (entry.selected && !InstallEntry(entry, appFolder))
            return false;
    return true;
}

bool CUpdateInstaller::SignedByPublisher(const UpdateEntry& entry)
{
    std::string why = "no signature was retrieved";
    const bool retrieved = !entry.signatureFile.empty();
    // The file must have been signed under the name it has on the server, so that the server
    // cannot hand out another of the publisher's files in its place.
    const SignatureCheck check = retrieved
                                     ? VerifySignedFile(entry.tempFile, entry.signatureFile, m_key,
                                                        &why, UrlFileName(entry.serverName))
                                     : SignatureCheck::unreadable;
    if (check == SignatureCheck::valid)
        return true;
    LogWriteText("ERROR: Update \"%s\" refused: %s", entry.localName.c_str(), why.c_str());
    m_pMessages->Show(SignatureMessage(entry.localName, retrieved, check), nv::MessageButtons::ok);
    return false;
}

bool CUpdateInstaller::InstallEntry(UpdateEntry& entry, const std::string& appFolder)
{
    if (!SignedByPublisher(entry))
        return false;
    const std::string target = appFolder + entry.localName;
    std::string extension;
    GetPathExtension(entry.localName, extension);

    std::optional<BackupMove> backup;
    if (entry.localVersion != "0.0") {
        backup.emplace(target, BackupPath(appFolder, entry.localName, entry.localVersion));
        if (!backup->Make()) {
            m_pMessages->Show(kCopyError, nv::MessageButtons::ok);
            return false;
        }
    }
    auto fail = [&](const char* message) {
        if (backup)
            backup->Restore();
        m_pMessages->Show(message, nv::MessageButtons::ok);
        return false;
    };

    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    if (extension.find("zip") != std::string::npos) {
        std::vector<std::string> written;
        std::string why;
        if (!ExtractArchive(entry.tempFile, appFolder, m_limits, &written, &why)) {
            LogWriteText("ERROR: Unable to decompress \"%s\": %s", entry.tempFile.c_str(),
                         why.c_str());
            return fail(kDecompressError);
        }
        for (const std::string& file : written)
            m_installed.push_back(Normal(appFolder + file));
    } else {
        // The retrieved file takes over the execute permissions of the file it replaces.
        struct stat st;
        if (backup && backup->ExecBits() && ::stat(entry.tempFile.c_str(), &st) == 0)
            ::chmod(entry.tempFile.c_str(), (st.st_mode & 07777) | backup->ExecBits());
        if (!CopyFileNoAttributes(entry.tempFile, target, false))
            return fail(kCopyError);
        m_installed.push_back(Normal(target));
    }
    if (backup)
        backup->Commit();
    ::unlink(entry.tempFile.c_str());
    ::unlink(entry.signatureFile.c_str());
    return true;
}

bool CUpdateInstaller::Replaced(const std::string& path) const
{
    const std::string wanted = Normal(path);
    for (const std::string& file : m_installed)
        if (file == wanted)
            return true;
    return false;
}

void RestartApplication(const std::string& executable, nv::Shell* shell, UpdateHost* host,
                        nv::MessageBoxService& messages)
{
    if (host)
        host->SetMainWindowTitle("Closing");
    const std::vector<std::string> args =
        host ? host->StartArguments() : std::vector<std::string>();
    if (shell && shell->StartProgram(executable, args)) {
        if (host)
            host->CloseMainWindow();
        return;
    }
    messages.Show("Please exit Nulo Vandrel and restart it for the new version to take affect.",
                  nv::MessageButtons::ok);
}
