// The application object: start-up before the main window, and the commands that belong to
// the application rather than to the window (help file, About, update check).
#pragma once

#include <string>

class DialogHost;

class CGeoreferenceApp
{
public:
    // Resets the diagnostic log and reads the product version.
    void InitInstance();

    // Opens the help file beside the executable (its name with the extension CHM, in any
    // letter case), or says that it is missing.
    static void OnHelpFinder(DialogHost& host);

    // The "FileVersion" string of the executable, read at start-up.
    std::string m_strProductVersion;
};
