// Build tool: writes the manual page from its template, with the synopsis and the options
// taken from the table that --help prints.
//
//   make_man_page TEMPLATE OUTPUT NAME=VALUE...
//
// In the template, @SYNOPSIS@ (inside a no-fill block: it becomes one line per form) and
// @OPTIONS@ stand on lines of their own; every @NAME@ of the pairs given is replaced by its
// value.
#include "app/command_line_help.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

int Fail(const std::string& message)
{
    std::fprintf(stderr, "make_man_page: %s\n", message.c_str());
    return 1;
}

// Text as roff shows it literally: backslashes and minus signs escaped, and a line never
// starting with a control character.
std::string Roff(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\''))
        out.insert(0, "\\&");
    return out;
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Fail("usage: make_man_page TEMPLATE OUTPUT NAME=VALUE...");
    std::ifstream in(argv[1], std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    if (!in)
        return Fail(std::string("cannot read ") + argv[1]);
    std::string page = buffer.str();

    std::string synopsis, options;
    for (const CommandForm& form : CommandForms()) {
        synopsis += "\\fBNulo_Vandrel\\fR " + Roff(form.synopsis) + "\n";
        options += ".TP\n.B " + Roff(form.synopsis) + "\n" + Roff(form.description) + "\n";
    }
    ReplaceAll(page, "@SYNOPSIS@\n", synopsis);
    ReplaceAll(page, "@OPTIONS@\n", options);
    for (int i = 3; i < argc; ++i) {
        const std::string pair = argv[i];
        const size_t equals = pair.find('=');
        if (equals == std::string::npos)
            return Fail("expected NAME=VALUE, not " + pair);
        ReplaceAll(page, "@" + pair.substr(0, equals) + "@", pair.substr(equals + 1));
    }

    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << page;
    out.close();
    if (!out)
        return Fail(std::string("cannot write ") + argv[2]);
    return 0;
}
