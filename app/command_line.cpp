// Command-line dispatch.
#include "app/command_line.h"

int RunCommandLine(const std::vector<std::string>& args)
{
    if (args.empty())
        return -1;
    return -1;
}
