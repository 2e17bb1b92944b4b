// Starting a program with no arguments in a given working directory and
// waiting for it to end. The caller's own current directory is not changed.
#pragma once

#include <filesystem>

namespace tulvo {

// The program's exit code, or −1 when it could not be started or did not
// end normally.
int runProgramAndWait(const std::filesystem::path& program,
                      const std::filesystem::path& workingDirectory);

}  // namespace tulvo
