// A change is made under the store's lock, on the file as it is then. It
// never trusts the file's identity: after another program's rewrite, a
// reused inode with coarse time stamps can look exactly like the file last
// read. The kernel gives a fresh time stamp to every write, so that case is
// made here by answering stat() for the store's file with the status it had
// before the rewrite.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <string>

#include "favorites/favorites_store.hpp"
#include "tests/support/temp_dir.hpp"

namespace {

std::string fakedPath;
struct stat fakedStatus;

}  // namespace

// Every stat() of this program comes here; all but the faked path get the
// real answer.
extern "C" int stat(const char* path, struct stat* status) noexcept {
    if (!fakedPath.empty() && fakedPath == path) {
        *status = fakedStatus;
        return 0;
    }
    return ::fstatat(AT_FDCWD, path, status, 0);
}

TEST(FavoritesStore, AChangeReadsTheFileEvenWhenItsIdentityLooksTheSame) {
    tulvo::testing::TempDir dir;
    const auto file = dir / "favorites.dat";
    tulvo::favorites::FavoritesStore first(file), other(file);
    first.load();
    ASSERT_EQ(::fstatat(AT_FDCWD, file.c_str(), &fakedStatus, 0), 0);
    other.load();
    other.add(u"中国");
    // From here on the rewritten file shows the identity of the one read.
    fakedPath = file.string();
    first.add(u"学习");
    fakedPath.clear();
    tulvo::favorites::FavoritesStore fresh(file);
    fresh.load();
    EXPECT_EQ(fresh.test(u"中国"), 1) << "another program's word was lost";
    EXPECT_EQ(fresh.test(u"学习"), 1);
}

TEST(FavoritesStore, AFifoInTheFilesPlaceIsNeverReplaced) {
    tulvo::testing::TempDir dir;
    const auto file = dir / "favorites.dat";
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    tulvo::favorites::FavoritesStore store(file);
    store.load();
    EXPECT_EQ(store.add(u"中国"), tulvo::favorites::FavoritesStore::Change::Failed);
    EXPECT_TRUE(std::filesystem::is_fifo(file));
}

TEST(FavoritesStore, NoChangeWithoutTheLock) {
    tulvo::testing::TempDir dir;
    const auto file = dir / "favorites.dat";
    tulvo::favorites::FavoritesStore store(file);
    store.load();
    // A lock that cannot be taken (its name is a folder): another program
    // could be writing, so nothing is written.
    std::filesystem::create_directory(dir / "favorites.dat.lock");
    EXPECT_EQ(store.add(u"中国"), tulvo::favorites::FavoritesStore::Change::Failed);
    EXPECT_EQ(std::filesystem::file_size(file), 0u);
    EXPECT_EQ(store.test(u"中国"), 0);
}
