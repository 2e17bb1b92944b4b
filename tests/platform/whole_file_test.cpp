#include "platform/whole_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

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

// What reached the disk and in which order: each fsync() and rename() of
// this program is recorded (by inode) and then done.
namespace {

struct DiskStep {
    char kind;  // 'f' fsync, 'r' rename
    ino_t inode;
    std::string to;
};
std::vector<DiskStep> diskSteps;

}  // namespace

extern "C" int fsync(int fd) {
    struct stat st {};
    ::fstat(fd, &st);
    diskSteps.push_back({'f', st.st_ino, {}});
    return int(::syscall(SYS_fsync, fd));
}

extern "C" int rename(const char* from, const char* to) noexcept {
    struct stat st {};
    ::stat(from, &st);
    diskSteps.push_back({'r', st.st_ino, to});
    return ::renameat(AT_FDCWD, from, AT_FDCWD, to);
}

TEST(WriteWholeFile, ReplacesTheFileOnlyOnceItsBytesAreOnDisk) {
    TempDir dir;
    const auto file = dir.write("notes.txt", "old");
    std::filesystem::permissions(file, std::filesystem::perms(0640));
    diskSteps.clear();
    ASSERT_TRUE(tulvo::writeWholeFile(file, "new bytes"));
    // The temporary file is flushed, then renamed over the file: a crash
    // leaves the old bytes or the new, never an empty file.
    ASSERT_EQ(diskSteps.size(), 2u);
    EXPECT_EQ(diskSteps[0].kind, 'f');
    EXPECT_EQ(diskSteps[1].kind, 'r');
    EXPECT_EQ(diskSteps[1].inode, diskSteps[0].inode);
    EXPECT_EQ(diskSteps[1].to, file.string());
    EXPECT_EQ(TempDir::read(file), "new bytes");
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);  // the replaced file's permissions
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    // A folder that is not there: false, and nothing is left behind.
    EXPECT_FALSE(tulvo::writeWholeFile(dir / "none" / "x.txt", "bytes"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}
