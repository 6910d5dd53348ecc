// Location of the running executable.
#include "platform/app_paths.h"

#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <unistd.h>

namespace nv {

namespace {

std::mutex g_mutex;
std::string g_override;

std::string ReadSelfExe()
{
    char buffer[PATH_MAX + 1];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0)
        return "./Nulo_Vandrel";
    return std::string(buffer, size_t(n));
}

// $variable when it holds an absolute path, else the home folder followed by fallback.
std::string XdgFolder(const char* variable, const char* fallback)
{
    const char* value = std::getenv(variable);
    std::string folder;
    if (value && *value == '/') {
        folder = value;
    } else {
        const char* home = std::getenv("HOME");
        folder = std::string(home && *home ? home : ".") + fallback;
    }
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

} // namespace

std::string ApplicationPath()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_override.empty())
        return g_override;
    static const std::string self = ReadSelfExe();
    return self;
}

std::string ApplicationFolder()
{
    const std::string path = ApplicationPath();
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

void SetApplicationPath(const std::string& path)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_override = path;
}

std::string ApplicationDataFolder()
{
    const std::filesystem::path data(ApplicationFolder() + "../share/Nulo_Vandrel/");
    return data.lexically_normal().string();
}

std::string UserConfigFolder()
{
    return XdgFolder("XDG_CONFIG_HOME", "/.config");
}

std::string UserStateFolder()
{
    return XdgFolder("XDG_STATE_HOME", "/.local/state");
}

bool IsFolderWritable(const std::string& folder)
{
    return ::faccessat(AT_FDCWD, folder.c_str(), W_OK, AT_EACCESS) == 0;
}

bool IsInstalledCopy()
{
    std::error_code error;
    return !IsFolderWritable(ApplicationFolder()) ||
           std::filesystem::is_directory(ApplicationDataFolder(), error);
}

} // namespace nv
