// Several processes changing one favorites store at once, as the main window,
// the options program and tulvo-lookup do: no word may be lost, the file keeps
// its block rules, and a reader never sees a half-written file.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>
#include <csignal>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "favorites/favorites_store.hpp"
#include "tests/support/temp_dir.hpp"

using namespace tulvo::favorites;
using tulvo::testing::TempDir;

namespace {

// The words of the file when it keeps every rule of the format (blocks of
// strictly increasing lengths 1..30, sorted unique words, nothing left
// over); empty optional when it does not.
std::optional<std::set<std::u16string>> wordsIfSound(const std::string& bytes) {
    auto int32At = [&](size_t at) {
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bytes[at + i]);
        return static_cast<int32_t>(v);
    };
    std::set<std::u16string> words;
    size_t at = 0;
    int32_t previous = 0;
    while (at < bytes.size()) {
        if (bytes.size() - at < 8) return std::nullopt;
        const int32_t length = int32At(at), count = int32At(at + 4);
        if (length <= previous || length > 30 || count < 0) return std::nullopt;
        at += 8;
        if (bytes.size() - at < size_t(count) * 2 * size_t(length)) return std::nullopt;
        std::u16string last;
        for (int32_t i = 0; i < count; ++i) {
            std::u16string word;
            for (int32_t u = 0; u < length; ++u, at += 2)
                word.push_back(char16_t(static_cast<unsigned char>(bytes[at]) |
                                        static_cast<unsigned char>(bytes[at + 1]) << 8));
            if (i > 0 && !(last < word)) return std::nullopt;
            last = word;
            words.insert(word);
        }
        previous = length;
    }
    return words;
}

// Word `i` of writer `k`: lengths 1 to 4, so that every write moves blocks.
std::u16string wordOf(int k, int i) {
    std::u16string word(size_t(1 + i % 4), u'\0');
    for (size_t u = 0; u < word.size(); ++u) word[u] = char16_t(0x4E00 + k * 1000 + i + 7 * int(u));
    return word;
}

constexpr int kWriters = 3;
constexpr int kWords = 200;

bool removedLater(int i) {
    return i % 5 == 0;
}

}  // namespace

TEST(FavoritesProcesses, WritersLoseNothingAndReadersSeeWholeFiles) {
    TempDir dir;
    const auto file = dir / "favorites.dat";
    {
        FavoritesStore seed(file);
        seed.load();
        seed.add(u"原有");  // a word that was there before: everyone keeps it
    }
    std::vector<pid_t> writers;
    for (int k = 0; k < kWriters; ++k) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            // A program that read the store at its start, then keeps adding
            // and removing.
            FavoritesStore store(file);
            store.load();
            bool ok = true;
            for (int i = 0; i < kWords; ++i) {
                ok &= store.add(wordOf(k, i)) == FavoritesStore::Change::Written;
                if (i >= 10 && removedLater(i - 10))
                    ok &= store.remove(wordOf(k, i - 10)) == FavoritesStore::Change::Written;
            }
            _exit(ok ? 0 : 1);
        }
        writers.push_back(pid);
    }
    // The reader checks each version of the file it meets until the writers
    // are done.
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const pid_t reader = fork();
    ASSERT_GE(reader, 0);
    if (reader == 0) {
        close(pipeEnds[1]);
        int reads = 0, broken = 0;
        for (;;) {
            if (!wordsIfSound(TempDir::read(file))) ++broken;
            ++reads;
            pollfd done{pipeEnds[0], POLLIN, 0};
            if (poll(&done, 1, 0) > 0) break;
        }
        _exit(broken == 0 && reads > 10 ? 0 : 1);
    }
    close(pipeEnds[0]);
    for (pid_t pid : writers) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer failed";
    }
    close(pipeEnds[1]);
    int status = 0;
    ASSERT_EQ(waitpid(reader, &status, 0), reader);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the reader met a broken file";

    const auto words = wordsIfSound(TempDir::read(file));
    ASSERT_TRUE(words.has_value());
    std::set<std::u16string> expected{u"原有"};
    for (int k = 0; k < kWriters; ++k)
        for (int i = 0; i < kWords; ++i)
            if (!(removedLater(i) && i + 10 < kWords)) expected.insert(wordOf(k, i));
    EXPECT_EQ(*words, expected);
    // No temporary file is left behind.
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_FALSE(entry.path().filename().string().starts_with("favorites.dat.tmp"));
}

TEST(FavoritesProcesses, TheLockDiesWithItsHolder) {
    TempDir dir;
    FavoritesStore store(dir / "favorites.dat");
    store.load();
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        // A program that took the lock and then hangs.
        const int fd = open(store.lockFile().c_str(), O_RDWR | O_CREAT, 0644);
        if (fd < 0 || flock(fd, LOCK_EX) != 0) _exit(1);
        if (write(ready[1], "x", 1) != 1) _exit(1);
        pause();
        _exit(0);
    }
    char byte;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    const int probe = open(store.lockFile().c_str(), O_RDWR);
    ASSERT_GE(probe, 0);
    EXPECT_NE(flock(probe, LOCK_EX | LOCK_NB), 0);  // held: a change would wait
    // It is killed: the kernel releases its lock, and changes go on.
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    close(probe);
    EXPECT_EQ(store.add(u"中"), FavoritesStore::Change::Written);
    close(ready[0]);
    close(ready[1]);
}
