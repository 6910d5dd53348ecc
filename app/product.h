// The product's name and version as the program shows them.
#pragma once

#include <string>

constexpr const char* kProductName = "Nulo Vandrel";

// The "FileVersion" string of the running executable's version block (for example "1.00");
// empty when the executable carries none.
std::string ReadProductVersion();
