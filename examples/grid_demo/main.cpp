// A window with one grid to try the grid control by hand and to take its screenshots:
//   grid_demo [--show=edit|drop|select|find]
#include "demo_grid.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    DemoGrid grid;
    grid.setWindowTitle("Grid demo");
    grid.resize(900, 560);
    grid.move(0, 0);
    grid.show();
    QString show;
    for (const QString& arg : app.arguments())
        if (arg.startsWith("--show="))
            show = arg.mid(7);
    if (!show.isEmpty())
        QTimer::singleShot(300, &grid, [&grid, show] { grid.Show(show); });
    return app.exec();
}
