// The product's name as every window and message shows it.
#pragma once

constexpr const char* kProductName = "Nulo Vandrel";
