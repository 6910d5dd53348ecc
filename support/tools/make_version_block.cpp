// Build tool: writes a C++ source file holding a version block in the program's version
// section, so that linking the file into an executable gives it its version information.
//
//   make_version_block OUTPUT.cpp MAJOR.MINOR.PATCH.TWEAK LANGUAGE CODEPAGE NAME=VALUE...
//
// LANGUAGE and CODEPAGE are numbers (0x0409 1252); each NAME=VALUE pair becomes a string of
// the table, in the order given.
#include "support/version_block.h"
#include "support/version_block_writer.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

int Fail(const std::string& message)
{
    std::fprintf(stderr, "make_version_block: %s\n", message.c_str());
    return 1;
}

// A number up to limit; base 0 also takes hexadecimal with 0x.
bool ParseNumber(const char* text, int base, unsigned long limit, unsigned long& value)
{
    char* end = nullptr;
    value = std::strtoul(text, &end, base);
    return end != text && *end == '\0' && value <= limit;
}

bool ParseVersion(const std::string& text, unsigned long (&parts)[4])
{
    std::istringstream in(text);
    std::string part;
    int n = 0;
    while (std::getline(in, part, '.')) {
        if (n == 4 || !ParseNumber(part.c_str(), 10, 0xFFFF, parts[n]))
            return false;
        ++n;
    }
    return n >= 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5)
        return Fail("usage: make_version_block OUTPUT.cpp VERSION LANGUAGE CODEPAGE NAME=VALUE...");
    const std::string output = argv[1];
    unsigned long version[4] = {};
    unsigned long language = 0;
    unsigned long codePage = 0;
    if (!ParseVersion(argv[2], version))
        return Fail(std::string("not a version: ") + argv[2]);
    if (!ParseNumber(argv[3], 0, 0xFFFF, language) || !ParseNumber(argv[4], 0, 0xFFFF, codePage))
        return Fail("language and code page must be numbers below 65536");

    nv::VersionBlockContents contents;
    contents.fileVersionMS = uint32_t(version[0] << 16 | version[1]);
    contents.fileVersionLS = uint32_t(version[2] << 16 | version[3]);
    contents.productVersionMS = contents.fileVersionMS;
    contents.productVersionLS = contents.fileVersionLS;
    contents.translations.push_back(uint32_t(language << 16 | codePage));
    for (int i = 5; i < argc; ++i) {
        const std::string pair = argv[i];
        const size_t equals = pair.find('=');
        if (equals == std::string::npos || equals == 0)
            return Fail("not NAME=VALUE: " + pair);
        contents.strings.emplace_back(pair.substr(0, equals), pair.substr(equals + 1));
    }
    const std::vector<uint8_t> block = nv::BuildVersionBlock(contents);
    if (block.empty())
        return Fail("the version strings are too long");

    std::ostringstream source;
    source << "// The program's version block, written by the build from the project version.\n"
              "// Generated: do not edit.\n"
              "__attribute__((section(\""
           << nv::kVersionSectionName
           << "\"), used, aligned(4))) static const unsigned char nv_version_block[] = {";
    char hex[8];
    for (size_t i = 0; i < block.size(); ++i) {
        std::snprintf(hex, sizeof hex, "0x%02x,", block[i]);
        source << (i % 16 == 0 ? "\n    " : " ") << hex;
    }
    source << "\n};\n";

    const std::string text = source.str();
    const std::string temp = output + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out)
            return Fail("cannot write " + temp);
    }
    if (std::rename(temp.c_str(), output.c_str()) != 0)
        return Fail("cannot write " + output);
    return 0;
}
