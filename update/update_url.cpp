// The update base URL (built in, overridden by the profile), file names in URLs and the
// built-in public key.
#include "update/update_url.h"

#include "platform/profile.h"

#include <curl/curl.h>

// The build sets NV_UPDATE_BASE_URL and NV_UPDATE_PUBLIC_KEY from its cache variables of
// those names.
#ifndef NV_UPDATE_BASE_URL
#error "NV_UPDATE_BASE_URL is not defined"
#endif
#ifndef NV_UPDATE_PUBLIC_KEY
#error "NV_UPDATE_PUBLIC_KEY is not defined"
#endif

namespace {

std::string WithSlash(std::string url)
{
    if (!url.empty() && url.back() != '/')
        url += '/';
    return url;
}

} // namespace

std::string DefaultUpdateBaseUrl()
{
    return WithSlash(NV_UPDATE_BASE_URL);
}

std::string UpdateBaseUrl(const nv::Profile& profile)
{
    const std::string url = profile.GetString("Defaults", "Update URL");
    return url.empty() ? DefaultUpdateBaseUrl() : WithSlash(url);
}

std::string UpdateBaseUrl()
{
    return UpdateBaseUrl(nv::Profile(nv::Profile::DefaultPath()));
}

std::string UrlFileName(const std::string& url)
{
    std::string name = url.substr(0, url.find_first_of("?#"));
    name.erase(0, name.rfind('/') + 1);
    int length = 0;
    // libcurl's decoder uses no state of a handle.
    char* decoded = curl_easy_unescape(nullptr, name.c_str(), int(name.size()), &length);
    if (!decoded)
        return name;
    name.assign(decoded, size_t(length));
    curl_free(decoded);
    return name;
}

std::string DefaultUpdatePublicKey()
{
    return NV_UPDATE_PUBLIC_KEY;
}
