// The product's name and version as the program shows them.
#pragma once

#include "support/product_name.h"

#include <string>

// The "FileVersion" string of the running executable's version block (for example "1.00");
// empty when the executable carries none.
std::string ReadProductVersion();
