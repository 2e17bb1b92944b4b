#include "apps/common/command_line.hpp"

#include <iostream>

#include "apps/common/version.hpp"

namespace tulvo::apps {

void printVersion(std::string_view name) {
    std::cout << name << ' ' << kVersion << '\n';
}

std::optional<int> answerHelpOrVersion(int argc, char** argv, std::string_view name,
                                       std::string_view help) {
    if (argc < 2) return std::nullopt;
    const std::string_view first = argv[1];
    if (first == "--help" || first == "-h") {
        std::cout << help;
        return 0;
    }
    if (first == "--version") {
        printVersion(name);
        return 0;
    }
    return std::nullopt;
}

}  // namespace tulvo::apps
