// Desktop "open" and program start through Qt.
#pragma once

#include "platform/shell.h"

namespace nv {

class QtShell : public Shell
{
public:
    bool Open(const std::string& target) override;
    bool StartProgram(const std::string& program, const std::vector<std::string>& args) override;
};

} // namespace nv
