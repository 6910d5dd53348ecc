// Location of the running executable.
#include "platform/app_paths.h"

#include <climits>
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

} // namespace nv
