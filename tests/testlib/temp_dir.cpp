// Test helpers: temporary folders, files and fixture paths.
#include "tests/testlib/temp_dir.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <stdlib.h>
#include <unistd.h>
#include <vector>

namespace nv::test {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "nv-test-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data()))
        throw std::runtime_error("cannot create a temporary folder");
    m_path = name.data();
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Files made read-only by a test must not stop the clean-up.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

std::string TempDir::File(std::string_view name) const
{
    return m_path + "/" + std::string(name);
}

std::string TempDir::Write(std::string_view name, std::string_view contents) const
{
    const std::string path = File(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(contents.data(), std::streamsize(contents.size()));
    return path;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string SourcePath(std::string_view relative)
{
    return std::string(NV_SOURCE_DIR) + "/" + std::string(relative);
}

UnwritableFolder::UnwritableFolder(const std::string& folder)
    : m_folder(folder), m_root(::geteuid() == 0)
{
    namespace fs = std::filesystem;
    if (!m_root) {
        fs::permissions(folder,
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        return;
    }
    for (const fs::path& p : {fs::path(folder), fs::path(folder).parent_path()})
        fs::permissions(p, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec);
    if (::seteuid(65534) != 0)
        throw std::runtime_error("cannot take the user id of nobody");
}

UnwritableFolder::~UnwritableFolder()
{
    if (m_root) {
        if (::seteuid(0) != 0)
            std::abort();
    } else {
        std::filesystem::permissions(m_folder, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
    }
}

} // namespace nv::test
