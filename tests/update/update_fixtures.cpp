// Helpers of the update tests.
#include "tests/update/update_fixtures.h"

#include "tests/testlib/temp_dir.h"

#include <archive.h>
#include <archive_entry.h>
#include <sodium.h>

#include <algorithm>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace nv::test {

void WriteZip(const std::string& path, const std::vector<ZipItem>& items)
{
    archive* a = archive_write_new();
    archive_write_set_format_zip(a);
    archive_write_set_format_option(a, "zip", "compression", "deflate");
    if (archive_write_open_filename(a, path.c_str()) != ARCHIVE_OK)
        throw std::runtime_error("cannot write " + path);
    for (const ZipItem& item : items) {
        archive_entry* e = archive_entry_new();
        archive_entry_set_pathname(e, item.name.c_str());
        archive_entry_set_mtime(e, 1208217600, 0); // 15 April 2008
        switch (item.kind) {
        case ZipItem::file:
        case ZipItem::hardlink:
            archive_entry_set_filetype(e, AE_IFREG);
            archive_entry_set_perm(e, item.mode);
            archive_entry_set_size(e, la_int64_t(item.zeros ? item.zeros : item.data.size()));
            if (item.kind == ZipItem::hardlink) {
                archive_entry_set_hardlink(e, item.link.c_str());
                archive_entry_set_size(e, 0);
            }
            break;
        case ZipItem::folder:
            archive_entry_set_filetype(e, AE_IFDIR);
            archive_entry_set_perm(e, 0755);
            break;
        case ZipItem::symlink:
            archive_entry_set_filetype(e, AE_IFLNK);
            archive_entry_set_perm(e, 0777);
            archive_entry_set_symlink(e, item.link.c_str());
            break;
        }
        if (archive_write_header(a, e) != ARCHIVE_OK)
            throw std::runtime_error(std::string("zip entry refused: ") + archive_error_string(a));
        if (item.kind == ZipItem::file) {
            if (item.zeros) {
                const std::string block(65536, '\0');
                for (size_t left = item.zeros; left > 0;) {
                    const size_t n = std::min(left, block.size());
                    archive_write_data(a, block.data(), n);
                    left -= n;
                }
            } else {
                archive_write_data(a, item.data.data(), item.data.size());
            }
        }
        archive_entry_free(e);
    }
    archive_write_close(a);
    archive_write_free(a);
}

std::string ZipBytes(const std::vector<ZipItem>& items)
{
    TempDir dir;
    WriteZip(dir.File("a.zip"), items);
    return ReadFile(dir.File("a.zip"));
}

Bytes DecodeBase64(const std::string& text)
{
    Bytes bytes(text.size());
    size_t length = 0;
    if (sodium_base642bin(bytes.data(), bytes.size(), text.data(), text.size(), nullptr, &length,
                          nullptr, sodium_base64_VARIANT_ORIGINAL) != 0)
        throw std::runtime_error("not base64: " + text);
    bytes.resize(length);
    return bytes;
}

std::string Line(const std::string& text, int index)
{
    size_t start = 0;
    for (int i = 0; i < index; ++i)
        start = text.find('\n', start) + 1;
    return text.substr(start, text.find('\n', start) - start);
}

std::string ReplaceLine(const std::string& text, int index, const std::string& line)
{
    const std::string old = Line(text, index);
    std::string out = text;
    return out.replace(out.find(old), old.size(), line);
}

std::string EditLine(const std::string& text, int line, const std::function<void(Bytes&)>& edit)
{
    Bytes bytes = DecodeBase64(Line(text, line));
    edit(bytes);
    std::string out(sodium_base64_ENCODED_LEN(bytes.size(), sodium_base64_VARIANT_ORIGINAL), '\0');
    sodium_bin2base64(out.data(), out.size(), bytes.data(), bytes.size(),
                      sodium_base64_VARIANT_ORIGINAL);
    out.resize(out.size() - 1);
    return ReplaceLine(text, line, out);
}

std::string FlipBit(const std::string& text, int line, size_t byte)
{
    return EditLine(text, line, [byte](Bytes& b) { b.at(byte) ^= 0x10; });
}

int RunProgram(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd : {0, 1, 2})
        posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd ? O_WRONLY : O_RDONLY, 0);
    pid_t pid;
    const int rc = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (rc != 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

MinisignKey::MinisignKey()
{
    if (RunProgram({"minisign", "-G", "-W", "-p", m_dir.File("key.pub"), "-s",
                    m_dir.File("key.sec")}) != 0)
        throw std::runtime_error("minisign cannot make a key");
    const std::string text = ReadFile(m_dir.File("key.pub"));
    const size_t end = text.find('\n');
    m_comment = text.substr(0, end);
    m_publicKey = text.substr(end + 1, text.find('\n', end + 1) - end - 1);
}

void MinisignKey::Sign(const std::string& path, std::string signaturePath, bool legacy,
                       const std::string& trustedComment) const
{
    if (signaturePath.empty())
        signaturePath = path + ".minisig";
    std::vector<std::string> argv{"minisign", "-S", "-s", m_dir.File("key.sec"),
                                  "-m",       path, "-x", signaturePath};
    if (legacy)
        argv.push_back("-l");
    if (!trustedComment.empty())
        argv.insert(argv.end(), {"-t", trustedComment});
    if (RunProgram(argv) != 0)
        throw std::runtime_error("minisign cannot sign " + path);
}

std::string MinisignKey::SignatureOf(const std::string& contents, bool legacy) const
{
    const std::string path = m_dir.Write("signed", contents);
    Sign(path, {}, legacy);
    return ReadFile(path + ".minisig");
}

bool RecordingStatus::Saw(const std::string& text) const
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

bool SpawningShell::StartProgram(const std::string& program, const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid;
    if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    started.push_back(pid);
    return true;
}

bool SpawningShell::WaitAll()
{
    bool ok = true;
    for (pid_t pid : started) {
        int status = 0;
        if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            ok = false;
    }
    started.clear();
    return ok;
}

void WriteFileWithMode(const std::string& path, const std::string& contents, unsigned mode)
{
    std::filesystem::remove(path);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        throw std::runtime_error("cannot write " + path);
    std::fwrite(contents.data(), 1, contents.size(), f);
    std::fclose(f);
    ::chmod(path.c_str(), mode);
}

void SetDate(const std::string& path, int year, int month, int day, int hour)
{
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_isdst = -1;
    const time_t when = std::mktime(&local);
    const struct timespec times[2] = {{when, 0}, {when, 0}};
    if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0)
        throw std::runtime_error("cannot date " + path);
}

unsigned ModeOf(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? unsigned(st.st_mode) & 07777 : 0;
}

std::vector<std::string> ListTree(const std::string& folder)
{
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder)) {
        std::string rel = std::filesystem::relative(e.path(), folder).string();
        if (e.is_directory() && !e.is_symlink())
            rel += '/';
        out.push_back(rel);
    }
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace nv::test
