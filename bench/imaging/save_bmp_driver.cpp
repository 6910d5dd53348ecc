// Runs the --save-bmp command as a process of its own, for the whole-process benchmark:
// imaging_save_bmp_driver IN OUT [options].
#include "imaging/image_commands.h"

#include <iostream>

int main(int argc, char** argv)
{
    return RunSaveBmpCommand(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
