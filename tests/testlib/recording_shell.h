// A desktop shell for tests: records what it was asked to open and starts nothing.
#pragma once

#include "platform/shell.h"

#include <string>
#include <vector>

namespace nv::test {

class RecordingShell : public Shell
{
public:
    bool Open(const std::string& target) override
    {
        opened.push_back(target);
        return true;
    }
    bool StartProgram(const std::string&, const std::vector<std::string>&) override
    {
        return false;
    }

    std::vector<std::string> opened;
};

} // namespace nv::test
