// The product's name and version as the program shows them.
#pragma once

#include "support/product_name.h"

#include <string>

// The "FileVersion" string of the running executable's version block (for example "1.00");
// empty when the executable carries none.
std::string ReadProductVersion();

// The maker's web site and e-mail address, shown and opened by the About box, and its
// ownership notice. The addresses lie under the reserved ".example" domain, as the update
// server's does.
constexpr const char* kMakerWebSite = "https://www.halvorn-software.example/";
constexpr const char* kMakerEmail = "info@halvorn-software.example";
// The program's id on the desktop: the name of its desktop entry (without ".desktop"), its icon
// and its AppStream metadata, in reverse domain-name form under the maker's domain.
constexpr const char* kDesktopId = "example.halvorn_software.Nulo_Vandrel";
constexpr const char* kOwnershipNotice =
    "Copyright (C) 2026 Halvorn Software LLC. All rights reserved.";
