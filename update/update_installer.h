// Installing retrieved updates into the application folder, and the restart of the program
// when its own executable was replaced.
#pragma once

#include "update/archive_extract.h"
#include "update/manifest.h"
#include "update/signature.h"

#include <string>
#include <vector>

namespace nv {
class MessageBoxService;
class Shell;
} // namespace nv

// What the restart step needs from the running application.
class UpdateHost
{
public:
    virtual ~UpdateHost() = default;
    // Sets the main window's title.
    virtual void SetMainWindowTitle(const std::string& title) = 0;
    // The arguments the running instance was started with, without the program itself.
    virtual std::vector<std::string> StartArguments() const = 0;
    // Asks the main window to close once the current event has been handled.
    virtual void CloseMainWindow() = 0;
};

class CUpdateInstaller
{
public:
    // Update files must be signed with key's secret half.
    CUpdateInstaller(nv::MessageBoxService& messages, const MinisignPublicKey& key,
                     const ArchiveLimits& limits = {});

    // Installs every selected entry, in order, into appFolder (which ends in a separator).
    // Each entry's retrieved file must first match its retrieved signature, made under the
    // entry's server name (when the signature names the file); otherwise nothing of it is
    // written. Then an installed file is renamed to its backup name
    // "<title> v<local version><ext>" in the folder (replacing an older backup of that
    // version); then an entry whose local name's extension contains "zip" (any case) is
    // unpacked into the folder, any other entry's retrieved file is copied to the local name,
    // keeping the execute permissions of the file it replaces; then the retrieved file and its
    // signature are deleted. The process's working folder is left alone.
    // When an entry fails, the folder is put back as it was before that entry (its backup is
    // renamed back), the message is shown and false is returned; entries before it stay
    // installed.
    bool InstallUpdates(std::vector<UpdateEntry>& entries, const std::string& appFolder);

    // True when an installation wrote the file at path (copied or unpacked).
    bool Replaced(const std::string& path) const;
    const std::vector<std::string>& InstalledFiles() const { return m_installed; }

    // "<folder><title> v<version><ext>" of a local name.
    static std::string BackupPath(const std::string& appFolder, const std::string& localName,
                                  const std::string& localVersion);

private:
    bool InstallEntry(UpdateEntry& entry, const std::string& appFolder);
    bool SignedByPublisher(const UpdateEntry& entry);

    nv::MessageBoxService* m_pMessages;
    MinisignPublicKey m_key;
    ArchiveLimits m_limits;
    std::vector<std::string> m_installed;
};

// The restart step after the program's own executable was replaced: sets the main window's
// title to "Closing" and starts executable with the running instance's arguments; when it
// starts, asks the main window to close, otherwise tells the user to restart by hand. shell
// and host may be null (nothing can be started then).
void RestartApplication(const std::string& executable, nv::Shell* shell, UpdateHost* host,
                        nv::MessageBoxService& messages);
