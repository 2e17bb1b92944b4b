#include "platform/whole_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.hpp"

using tulvo::ReadFailure;
using tulvo::readWholeFile;
using tulvo::testing::TempDir;

TEST(ReadWholeFile, ReadsRegularFilesWithinTheLimitOnly) {
    TempDir dir;
    std::string bytes(200'000, 'x');
    bytes[0] = '\0';  // binary content comes back as it is
    const auto file = dir.write("data.bin", bytes);
    ReadFailure why = ReadFailure::Unreadable;
    EXPECT_EQ(readWholeFile(file, bytes.size(), &why), bytes);
    EXPECT_EQ(why, ReadFailure::None);
    EXPECT_EQ(readWholeFile(dir.write("empty", "")), std::string());

    EXPECT_FALSE(readWholeFile(file, bytes.size() - 1, &why));
    EXPECT_EQ(why, ReadFailure::TooLarge);
    EXPECT_FALSE(readWholeFile(dir / "missing", 100, &why));
    EXPECT_EQ(why, ReadFailure::Missing);
    // A folder has no bytes (and a size that means nothing).
    EXPECT_FALSE(readWholeFile(dir.path(), 1u << 30, &why));
    EXPECT_EQ(why, ReadFailure::NotRegular);
    // An endless device is refused at once, not read up to the limit.
    EXPECT_FALSE(readWholeFile("/dev/zero", 1u << 30, &why));
    EXPECT_EQ(why, ReadFailure::NotRegular);
}

TEST(ReadWholeFile, APipeWithoutWriterIsRefusedWithoutWaiting) {
    TempDir dir;
    const auto fifo = dir / "list.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto read = std::async(std::launch::async, [&] {
        ReadFailure why = ReadFailure::None;
        const bool got = readWholeFile(fifo, 1000, &why).has_value();
        return std::make_pair(got, why);
    });
    if (read.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // Release the blocked reader so that the test can end.
        const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
        FAIL() << "the read waited for a writer";
    }
    EXPECT_EQ(read.get(), std::make_pair(false, ReadFailure::NotRegular));
}
