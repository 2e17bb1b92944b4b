// What every command answers the same way: --help and --version.
#pragma once

#include <cstdio>
#include <optional>
#include <string_view>

namespace tulvo::apps {

// When the first argument is --help (or -h) or --version, prints `help` or
// "NAME VERSION" to standard output and gives the exit status 0; otherwise
// nullopt and the program goes on.
std::optional<int> answerHelpOrVersion(int argc, char** argv, std::string_view name,
                                       std::string_view help);

// "NAME VERSION" and a line end.
void printVersion(std::string_view name);

// Writes `text` as it is. The command-line programs write through stdio
// only: the C++ streams would be set up at every start for nothing.
void writeText(std::FILE* stream, std::string_view text);

}  // namespace tulvo::apps
