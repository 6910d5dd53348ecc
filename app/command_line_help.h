// The command-line forms of the program and what each does. This table is the one source of
// the --help text and of the manual page's synopsis and options (app/tools/make_man_page.cpp).
#pragma once

#include <span>
#include <string>

struct CommandForm
{
    const char* synopsis;    // the words after the program's name
    const char* description; // one paragraph
};

std::span<const CommandForm> CommandForms();

// "Usage: Nulo_Vandrel <first form>" and one line for each other form.
std::string UsageText();
// What --help prints: a line saying what the program does, the usage lines, then each form
// with its description wrapped at 79 columns.
std::string HelpText();
