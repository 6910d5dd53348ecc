// The update base URL (built in, overridden by the profile) and the built-in public key.
#include "update/update_url.h"

#include "platform/profile.h"

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

std::string DefaultUpdatePublicKey()
{
    return NV_UPDATE_PUBLIC_KEY;
}
