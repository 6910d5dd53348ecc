// The application object.
#include "app/georeference_app.h"

#include "app/dialog_host.h"
#include "app/product.h"
#include "platform/app_paths.h"
#include "support/log.h"
#include "support/paths.h"
#include "support/version_info.h"

std::string ReadProductVersion()
{
    // The version block of the executable itself ("<base name>.exe" on Windows).
    std::string path = nv::ApplicationPath();
#ifdef _WIN32
    ReplaceExtension(path, ".exe", path);
#endif
    COXVersionInfo info;
    info.ReadInfo(path);
    return info.m_sFileVersion;
}

void CGeoreferenceApp::InitInstance()
{
    LogReset();
    m_strProductVersion = ReadProductVersion();
}

void CGeoreferenceApp::OnHelpFinder(DialogHost& host)
{
    std::string helpPath;
    ReplaceExtension(nv::ApplicationPath(), "CHM", helpPath);
    const std::string found = FindFileIgnoringExtensionCase(helpPath);
    if (!found.empty())
        host.ShellOpen(found);
    else
        host.MessageBox("Help file Nulo_Vandrel.chm was not found.", nv::MessageButtons::ok);
}
