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

    // Opens the help file (FindHelpFile) with the desktop; says so when there is none or the
    // desktop cannot open it.
    static void OnHelpFinder(DialogHost& host);
    // The help file: the executable's name with the extension CHM (in any letter case) beside
    // it or in the installed data folder, else the user guide (help/Nulo_Vandrel.html) built
    // beside the executable or installed in the data folder. Empty when there is none.
    static std::string FindHelpFile();

    // The "FileVersion" string of the executable, read at start-up.
    std::string m_strProductVersion;
};
