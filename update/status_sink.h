// Where the update code shows its status texts: a window's status line, a console, or nothing.
#pragma once

#include <string>

namespace nv {

class StatusSink
{
public:
    virtual ~StatusSink() = default;
    // Shows text at once, replacing the previous status (an empty text clears it).
    virtual void ShowStatus(const std::string& text) = 0;
};

} // namespace nv
