// The program's own images (the application icon), compiled into it.
#pragma once

// Registers the images; the first call does it. Needed because the images live in a static
// library whose object the linker would otherwise leave out.
void InitAppResources();
