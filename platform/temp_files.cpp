// Temporary files.
#include "platform/temp_files.h"

#include <QDir>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>
#include <vector>

namespace nv {

std::string CreateTempFileIn(const std::string& folder, const std::string& prefix)
{
    std::string pattern = folder;
    if (!pattern.empty() && pattern.back() != '/')
        pattern += '/';
    pattern += prefix + "XXXXXX.tmp";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemps(name.data(), 4, O_CLOEXEC);
    if (fd < 0)
        return {};
    ::close(fd);
    return name.data();
}

std::string SystemTempFiles::TempFolder()
{
    std::string folder = QDir::tempPath().toStdString();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::string SystemTempFiles::CreateTempFile(const std::string& prefix)
{
    return CreateTempFileIn(TempFolder(), prefix);
}

} // namespace nv
