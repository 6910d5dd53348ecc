// Helpers of the update tests: temporary files in a chosen folder, zip archives written with
// libarchive, keys and signatures made with the minisign tool, a recording status sink and
// host, a shell that really starts programs, and a folder the process cannot write.
#pragma once

#include "platform/shell.h"
#include "tests/testlib/temp_dir.h"
#include "platform/temp_files.h"
#include "update/status_sink.h"
#include "update/update_installer.h"

#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace nv::test {

// Temporary files in one folder.
class FolderTempFiles : public nv::TempFiles
{
public:
    explicit FolderTempFiles(std::string folder) : m_folder(std::move(folder) + "/") {}
    std::string TempFolder() override { return m_folder; }
    std::string CreateTempFile(const std::string& prefix) override
    {
        return nv::CreateTempFileIn(m_folder, prefix);
    }

private:
    std::string m_folder;
};

// One entry of a zip archive made for a test.
struct ZipItem
{
    enum Kind { file, folder, symlink, hardlink };
    ZipItem(std::string name_, std::string data_ = {}, Kind kind_ = file, std::string link_ = {},
            unsigned mode_ = 0644, size_t zeros_ = 0)
        : name(std::move(name_)), data(std::move(data_)), kind(kind_), link(std::move(link_)),
          mode(mode_), zeros(zeros_)
    {}
    std::string name;
    std::string data; // contents of a file
    Kind kind = file;
    std::string link; // target of a link
    unsigned mode = 0644;
    size_t zeros = 0; // a file of this many zero bytes instead of data
};

// Writes a zip archive (deflated) with the items, in order.
void WriteZip(const std::string& path, const std::vector<ZipItem>& items);
// The bytes of such an archive.
std::string ZipBytes(const std::vector<ZipItem>& items);

// A key pair made with "minisign -G" (no password), in a folder of its own.
class MinisignKey
{
public:
    MinisignKey();
    // Line 2 of the public key file.
    const std::string& PublicKey() const { return m_publicKey; }
    // Line 1 of the public key file, which names the key id.
    const std::string& PublicKeyComment() const { return m_comment; }
    // Signs the file at path with "minisign -S" into signaturePath (default: path.minisig);
    // legacy selects the "Ed" form; a trusted comment given replaces minisign's own, which
    // names the file.
    void Sign(const std::string& path, std::string signaturePath = {}, bool legacy = false,
              const std::string& trustedComment = {}) const;
    // The signature file that minisign makes for contents.
    std::string SignatureOf(const std::string& contents, bool legacy = false) const;

private:
    TempDir m_dir;
    std::string m_publicKey;
    std::string m_comment;
};

// Edits of signature texts, to make damaged and forged signatures from real ones.
using Bytes = std::vector<unsigned char>;
Bytes DecodeBase64(const std::string& text);
// Line index (0 to 3) of a signature text, without its line end.
std::string Line(const std::string& text, int index);
std::string ReplaceLine(const std::string& text, int index, const std::string& line);
// Decodes a base64 line of a signature text, lets edit change the bytes and encodes them again.
std::string EditLine(const std::string& text, int line, const std::function<void(Bytes&)>& edit);
// Flips one bit of a byte of a base64 line.
std::string FlipBit(const std::string& text, int line, size_t byte);

// Runs a program with its output discarded; its exit status, or -1 when it could not run.
int RunProgram(const std::vector<std::string>& argv);

class RecordingStatus : public nv::StatusSink
{
public:
    void ShowStatus(const std::string& text) override { texts.push_back(text); }
    bool Saw(const std::string& text) const;
    std::vector<std::string> texts;
};

class RecordingHost : public UpdateHost
{
public:
    void SetMainWindowTitle(const std::string& t) override { title = t; }
    std::vector<std::string> StartArguments() const override { return arguments; }
    void CloseMainWindow() override { ++closeRequests; }

    std::string title = "Nulo Vandrel";
    std::vector<std::string> arguments;
    int closeRequests = 0;
};

// Starts programs with posix_spawn and can wait for them.
class SpawningShell : public nv::Shell
{
public:
    bool Open(const std::string&) override { return false; }
    bool StartProgram(const std::string& program, const std::vector<std::string>& args) override;
    // Waits for every program started; true when all of them exited with status 0.
    bool WaitAll();

    std::vector<pid_t> started;
};

// Writes a file with the given permission bits.
void WriteFileWithMode(const std::string& path, const std::string& contents, unsigned mode);
// Sets the modification time of path to the given local day and hour.
void SetDate(const std::string& path, int year, int month, int day, int hour = 12);
// Permission bits of path (0 when missing).
unsigned ModeOf(const std::string& path);
// Every path below folder, relative, sorted (folders end in '/').
std::vector<std::string> ListTree(const std::string& folder);

} // namespace nv::test
