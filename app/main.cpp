// Program entry: the command-line forms, or the main window.
#include "app/command_line.h"
#include "app/georeference_app.h"
#include "app/product.h"
#include "app/widgets/main_window.h"
#include "platform/profile.h"

#include <QApplication>
#include <QTimer>

#include <iostream>

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int code = RunCommandLine(args, std::cout, std::cerr);
    if (code >= 0)
        return code;

    QApplication qapp(argc, argv);
    QApplication::setApplicationName("Nulo_Vandrel");
    // Lets the desktop match the window to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(kDesktopId);

    CGeoreferenceApp app;
    app.InitInstance();
    CGeoreferenceWindow window(app, nv::Profile(nv::Profile::DefaultPath()));

    // An image named on the command line is loaded once the window is up.
    const QStringList rest = QApplication::arguments().mid(1);
    for (const QString& arg : rest) {
        if (arg.startsWith('-'))
            continue;
        QTimer::singleShot(0, &window, [&window, path = arg.toStdString()] {
            window.Controller().OpenImage(path);
        });
        break;
    }
    window.exec();
    return 0;
}
