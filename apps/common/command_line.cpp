#include "apps/common/command_line.hpp"

#include <cstdio>
#include <string>

#include "apps/common/version.hpp"

namespace tulvo::apps {

void writeText(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

void printVersion(std::string_view name) {
    writeText(stdout, std::string(name) + ' ' + std::string(kVersion) + '\n');
}

std::optional<int> answerHelpOrVersion(int argc, char** argv, std::string_view name,
                                       std::string_view help) {
    if (argc < 2) return std::nullopt;
    const std::string_view first = argv[1];
    if (first == "--help" || first == "-h") {
        writeText(stdout, help);
        return 0;
    }
    if (first == "--version") {
        printVersion(name);
        return 0;
    }
    return std::nullopt;
}

}  // namespace tulvo::apps
