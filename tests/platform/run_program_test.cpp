#include <gtest/gtest.h>

#include "platform/run_program.hpp"
#include "tests/support/temp_dir.hpp"

namespace tulvo {
namespace {

TEST(RunProgram, ArgumentsDirectoryAndExitCode) {
    testing::TempDir dir;
    // Each argument arrives whole, spaces and all, in the given directory.
    EXPECT_EQ(runProgramAndWait("/bin/sh", dir.path(),
                                {"-c", "printf '%s|%s|' \"$0\" \"$1\" > seen; pwd >> seen; exit 3",
                                 "x y", "版本 2.1a"}),
              3);
    EXPECT_EQ(testing::TempDir::read(dir / "seen"),
              "x y|版本 2.1a|" + std::filesystem::canonical(dir.path()).string() + "\n");
    EXPECT_EQ(runProgramAndWait(dir / "missing", dir.path()), -1);
}

}  // namespace
}  // namespace tulvo
