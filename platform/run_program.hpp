// Starting a program in a given working directory and waiting for it to end,
// without processing the caller's events meanwhile. The caller's own current
// directory is not changed.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tulvo {

// The program's exit code, or −1 when it could not be started or did not
// end normally.
int runProgramAndWait(const std::filesystem::path& program,
                      const std::filesystem::path& workingDirectory,
                      const std::vector<std::string>& arguments = {});

}  // namespace tulvo
