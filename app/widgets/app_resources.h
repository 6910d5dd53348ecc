// The program's own images (the application icon at every size it is drawn in), compiled
// into it.
#pragma once

#include <QIcon>

// Registers the images; the first call does it. Needed because the images live in a static
// library whose object the linker would otherwise leave out.
void InitAppResources();

// The application icon.
QIcon AppIcon();
