// Program entry: the command-line forms, or the main window.
#include "app/command_line.h"

#include <QApplication>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    const int code = RunCommandLine(args);
    if (code >= 0)
        return code;
    QApplication app(argc, argv);
    return 0;
}
