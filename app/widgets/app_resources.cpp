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
