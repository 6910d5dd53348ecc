// Opening documents, links and programs the way the desktop does.
#pragma once

#include <string>
#include <vector>

namespace nv {

class Shell
{
public:
    virtual ~Shell() = default;
    // Opens a file or a URL (http:, https:, mailto:) with the user's preferred program.
    virtual bool Open(const std::string& target) = 0;
    // Starts a program with arguments, detached from this process.
    virtual bool StartProgram(const std::string& program, const std::vector<std::string>& args) = 0;
};

} // namespace nv
