// The program's own images.
#include "app/widgets/app_resources.h"

#include <QtCore/qglobal.h>

void InitAppResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(app_resources);
        return true;
    }();
    (void)done;
}

QIcon AppIcon()
{
    InitAppResources();
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QString(":/app/icons/%1.png").arg(size), QSize(size, size));
    return icon;
}
