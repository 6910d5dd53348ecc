// Test helpers: temporary folders and files, folders this process cannot write, and the paths
// of committed fixtures.
#pragma once

#include <string>
#include <string_view>

namespace nv::test {

// A fresh folder under the system's temporary folder, removed with everything in it when
// the object goes away.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, without a trailing separator.
    const std::string& Path() const { return m_path; }
    // Path of name inside the folder.
    std::string File(std::string_view name) const;
    // Writes contents to name inside the folder and returns its path.
    std::string Write(std::string_view name, std::string_view contents) const;

private:
    std::string m_path;
};

// Makes a folder that this process cannot write, for as long as the object lives: as root by
// taking the effective user id of "nobody" (the folder and its parent are made searchable),
// otherwise by removing the write permissions.
class UnwritableFolder
{
public:
    explicit UnwritableFolder(const std::string& folder);
    ~UnwritableFolder();
    UnwritableFolder(const UnwritableFolder&) = delete;
    UnwritableFolder& operator=(const UnwritableFolder&) = delete;

private:
    std::string m_folder;
    bool m_root;
};

// Reads a whole file (empty when it cannot be read).
std::string ReadFile(const std::string& path);
// The path of a file under the source tree, for example "tests/imaging/fixtures/a.bmp".
std::string SourcePath(std::string_view relative);

} // namespace nv::test
