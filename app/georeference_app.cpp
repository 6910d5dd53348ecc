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

std::string CGeoreferenceApp::FindHelpFile()
{
    std::string title;
    GetPathTitle(nv::ApplicationPath(), title);
    const std::string folders[] = {nv::ApplicationFolder(), nv::ApplicationDataFolder()};
    for (const std::string& folder : folders) {
        const std::string found = FindFileIgnoringExtensionCase(folder + title + ".CHM");
        if (!found.empty())
            return found;
    }
    for (const std::string& folder : folders) {
        const std::string guide = folder + "help/Nulo_Vandrel.html";
        if (FileExists(guide))
            return guide;
    }
    return {};
}

void CGeoreferenceApp::OnHelpFinder(DialogHost& host)
{
    const std::string found = FindHelpFile();
    if (found.empty())
        host.MessageBox("Help file Nulo_Vandrel.chm was not found.", nv::MessageButtons::ok);
    else if (!host.ShellOpen(found))
        host.MessageBox("ERROR:  The help file \"" + found + "\" could not be opened.",
                        nv::MessageButtons::ok);
}
