#include "favorites/favorites_store.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/support/file_size_limit.hpp"
#include "tests/support/le_bytes.hpp"
#include "tests/support/temp_dir.hpp"

using namespace tulvo::favorites;
using tulvo::testing::int32;
using tulvo::testing::TempDir;
using tulvo::testing::units;

namespace {

class RecordedMessages : public FavoritesMessages {
  public:
    std::vector<std::u16string> shown;
    std::filesystem::path lock;  // when set: the store's lock must be free while a message shows
    void showMessage(std::u16string_view caption, std::u16string_view text) override {
        EXPECT_EQ(caption, u"Tulvo");
        shown.emplace_back(text);
        if (lock.empty()) return;
        const int fd = ::open(lock.c_str(), O_RDWR);
        EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0) << "a message shown while holding the lock";
        ::close(fd);
    }
};

struct Store {
    TempDir dir;
    RecordedMessages messages;
    FavoritesStore store{dir / "favorites.dat", dir / "debug.txt", &messages};
    std::string file() const { return TempDir::read(dir / "favorites.dat"); }
};

}  // namespace

TEST(FavoritesStore, FirstReadCreatesAnEmptyFile) {
    Store s;
    s.store.load();
    EXPECT_TRUE(std::filesystem::exists(s.dir / "favorites.dat"));
    EXPECT_EQ(s.file(), "");
    EXPECT_EQ(s.store.test(u"中"), 0);
}

TEST(FavoritesStore, AddWritesExactBytes) {
    Store s;
    s.store.load();
    s.store.add(u"中国");
    EXPECT_EQ(s.file(), int32(2) + int32(1) + units(u"中国"));  // 8 + 2L bytes
    // A one-character word with the same first character gets its own block,
    // before the longer one; a three-character word goes after; a new
    // length between two existing ones goes between them.
    s.store.add(u"中");
    s.store.add(u"中华人民");
    s.store.add(u"中国人");
    s.store.add(u"丁");
    EXPECT_EQ(s.file(), int32(1) + int32(2) + units(u"丁中") + int32(2) + int32(1) +
                            units(u"中国") + int32(3) + int32(1) + units(u"中国人") + int32(4) +
                            int32(1) + units(u"中华人民"));
    EXPECT_EQ(s.store.test(u"中"), 1);
    EXPECT_EQ(s.store.test(u"中国人"), 1);
    EXPECT_EQ(s.store.test(u"中华"), 0);
    EXPECT_EQ(s.store.test(u"国"), 0);
}

TEST(FavoritesStore, OrderedByCodeUnitNotByReading) {
    Store s;
    s.store.load();
    for (const char16_t* word : {u"好", u"啊", u"\uFFFF", u"爱", u"一"}) s.store.add(word);
    EXPECT_EQ(s.file(), int32(1) + int32(5) + units(u"一啊好爱\uFFFF"));
    for (const char16_t* word : {u"好", u"啊", u"\uFFFF", u"爱", u"一"})
        EXPECT_EQ(s.store.test(word), 1);
}

TEST(FavoritesStore, AddingAPresentWordDoesNotRewrite) {
    Store s;
    s.store.load();
    s.store.add(u"中国");
    auto inode = [&] {
        struct stat st {};
        ::stat((s.dir / "favorites.dat").c_str(), &st);
        return st.st_ino;
    };
    const auto written = inode();
    EXPECT_EQ(s.store.add(u"中国"), FavoritesStore::Change::Unchanged);
    EXPECT_EQ(s.store.remove(u"美国"), FavoritesStore::Change::Unchanged);  // absent
    EXPECT_EQ(inode(), written);
}

TEST(FavoritesStore, RemoveLeavesAnEmptyBlockThatAddReuses) {
    Store s;
    s.store.load();
    s.store.add(u"中");
    s.store.add(u"中国");
    s.store.remove(u"中");
    EXPECT_EQ(s.file(), int32(1) + int32(0) + int32(2) + int32(1) + units(u"中国"));
    EXPECT_EQ(s.store.test(u"中"), 0);
    s.store.add(u"国");
    EXPECT_EQ(s.file(), int32(1) + int32(1) + units(u"国") + int32(2) + int32(1) + units(u"中国"));
    s.store.remove(u"中国");
    EXPECT_EQ(s.file(), int32(1) + int32(1) + units(u"国") + int32(2) + int32(0));
}

TEST(FavoritesStore, ReadsAnExistingFileAndFollowsItsChanges) {
    Store s;
    s.dir.write("favorites.dat",
                int32(1) + int32(2) + units(u"丁中") + int32(3) + int32(1) + units(u"中国人"));
    s.store.load();
    EXPECT_EQ(s.store.test(u"丁"), 1);
    EXPECT_EQ(s.store.test(u"中国人"), 1);
    // Another program emptied the file in place: the next change starts
    // from the file as it is now.
    s.dir.write("favorites.dat", int32(1) + int32(1) + units(u"丁"));
    s.store.add(u"中国");
    EXPECT_EQ(s.file(), int32(1) + int32(1) + units(u"丁") + int32(2) + int32(1) + units(u"中国"));
    EXPECT_EQ(s.store.test(u"中国人"), 0);
}

TEST(FavoritesStore, WordsItCannotStore) {
    Store s;
    s.store.load();
    s.store.add(u"");
    s.store.add(std::u16string(31, u'中'));
    EXPECT_EQ(s.file(), "");
    EXPECT_EQ(s.store.test(std::u16string(31, u'中')), 0);
    s.store.add(std::u16string(30, u'中'));
    EXPECT_EQ(s.file(), int32(30) + int32(1) + units(std::u16string(30, u'中')));
}

TEST(FavoritesStore, ADamagedFileIsRefusedKeptAndToldOnce) {
    // The damage lies before, after or inside the block of the words changed.
    const std::string damaged[] = {
        int32(2) + int32(0) + int32(1) + int32(1) + units(u"中"),       // lengths not increasing
        int32(31) + int32(0),                                           // length above 30
        int32(0) + int32(0),                                            // length below 1
        int32(1) + int32(-1),                                           // negative count
        int32(1) + int32(3) + units(u"中国"),                           // block cut short
        int32(1) + int32(1) + units(u"中") + "\x02\x00",                // header cut short
        int32(2) + int32(1) + units(u"中国") + std::string(7, '\xFF'),  // junk after a block
    };
    for (const std::string& bytes : damaged) {
        Store s;
        s.dir.write("favorites.dat", bytes);
        s.store.load();
        EXPECT_EQ(s.store.test(u"中国人"), 0);
        EXPECT_EQ(s.store.add(u"中国人"), FavoritesStore::Change::Failed);
        EXPECT_EQ(s.store.add(u"人"), FavoritesStore::Change::Failed);
        EXPECT_EQ(s.store.remove(u"中国"), FavoritesStore::Change::Failed);
        EXPECT_EQ(s.store.addWords({u"人", u"一路平安"}, true), -1);
        EXPECT_NE(s.store.failureReason().find("damaged"), std::string::npos);
        EXPECT_EQ(s.file(), bytes);
        EXPECT_EQ(s.store.buffer(), bytes);
        EXPECT_FALSE(std::filesystem::exists(s.dir / "favorites.dat.bak"));
        ASSERT_EQ(s.messages.shown.size(), 1u);
        EXPECT_NE(s.messages.shown[0].find(u"damaged"), std::u16string::npos);
    }
}

TEST(FavoritesStore, ChangesGoThroughALinkToItsTarget) {
    Store s;
    s.dir.write("elsewhere/words.dat", int32(1) + int32(1) + units(u"中"));
    std::filesystem::create_symlink("elsewhere/words.dat", s.dir / "favorites.dat");
    s.store.load();
    EXPECT_EQ(s.store.add(u"国"), FavoritesStore::Change::Written);
    EXPECT_TRUE(std::filesystem::is_symlink(s.dir / "favorites.dat"));
    EXPECT_EQ(TempDir::read(s.dir / "elsewhere/words.dat"), int32(1) + int32(2) + units(u"中国"));
    EXPECT_EQ(s.store.test(u"国"), 1);
    EXPECT_EQ(s.store.remove(u"中"), FavoritesStore::Change::Written);
    EXPECT_EQ(s.file(), int32(1) + int32(1) + units(u"国"));
    EXPECT_TRUE(std::filesystem::is_symlink(s.dir / "favorites.dat"));
    // A link to a file not made yet makes the target.
    Store t;
    std::filesystem::create_directories(t.dir / "elsewhere");
    std::filesystem::create_symlink(t.dir / "elsewhere/new.dat", t.dir / "favorites.dat");
    t.store.load();
    EXPECT_EQ(t.store.add(u"中"), FavoritesStore::Change::Written);
    EXPECT_TRUE(std::filesystem::is_symlink(t.dir / "favorites.dat"));
    EXPECT_EQ(TempDir::read(t.dir / "elsewhere/new.dat"), int32(1) + int32(1) + units(u"中"));
}

TEST(FavoritesStore, AReadOnlyFileIsRefusedWithTheReason) {
    Store s;
    const std::string bytes = int32(1) + int32(1) + units(u"中");
    s.dir.write("favorites.dat", bytes);
    std::filesystem::permissions(s.dir / "favorites.dat", std::filesystem::perms::owner_read |
                                                              std::filesystem::perms::group_read);
    s.store.load();
    EXPECT_EQ(s.store.add(u"国"), FavoritesStore::Change::Failed);
    EXPECT_NE(s.store.failureReason().find("read-only"), std::string::npos);
    EXPECT_EQ(s.store.test(u"国"), 0);
    EXPECT_EQ(s.store.remove(u"中"), FavoritesStore::Change::Failed);
    EXPECT_EQ(s.store.test(u"中"), 1);
    EXPECT_EQ(s.file(), bytes);
    EXPECT_EQ(s.messages.shown.size(), 1u);
    EXPECT_EQ(std::filesystem::status(s.dir / "favorites.dat").permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
}

TEST(FavoritesStore, OverflowMessageOnlyWhileDebugFileExists) {
    Store s;
    const std::string bytes = int32(1) + int32(1'000'001);
    s.dir.write("favorites.dat", bytes);
    s.store.load();
    EXPECT_EQ(s.store.test(u"中国"), 0);
    EXPECT_TRUE(s.messages.shown.empty());
    EXPECT_EQ(s.store.add(u"中国"), FavoritesStore::Change::Failed);
    EXPECT_EQ(s.file(), bytes);
    s.dir.write("debug.txt", "");
    EXPECT_EQ(s.store.test(u"中国"), 0);
    ASSERT_EQ(s.messages.shown.size(), 2u);  // the refusal, then the overflow
    EXPECT_EQ(s.messages.shown[1],
              u"overflow in favorites.dat\rlength: 1 nbwords: 1000001 favlength: 2");
    EXPECT_EQ(s.file(), bytes);
}

// Files the writes left beside the store (temporary files).
std::vector<std::string> leftovers(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("favorites.dat.tmp")) names.push_back(name);
    }
    return names;
}

TEST(FavoritesStore, AFailedWriteKeepsTheFileShowsItAndIsToldOnce) {
    Store s;
    s.messages.lock = s.store.lockFile();
    s.store.load();
    EXPECT_EQ(s.store.add(u"中"), FavoritesStore::Change::Written);
    EXPECT_TRUE(leftovers(s.dir).empty());
    const std::string before = s.file();
    {
        // The disk is full: the new file cannot grow beyond the old one.
        const tulvo::testing::FileSizeLimit full(before.size() + 1);
        EXPECT_EQ(s.store.add(u"国"), FavoritesStore::Change::Failed);
        EXPECT_EQ(s.store.add(u"人"), FavoritesStore::Change::Failed);
    }
    EXPECT_EQ(s.file(), before);
    EXPECT_TRUE(leftovers(s.dir).empty());
    // The display asks the store: the word is no favorite.
    EXPECT_EQ(s.store.test(u"国"), 0);
    EXPECT_EQ(s.store.buffer(), before);
    ASSERT_EQ(s.messages.shown.size(), 1u);
    EXPECT_TRUE(s.messages.shown[0].starts_with(u"Sorry, the favorite words could not be saved"));
    EXPECT_FALSE(s.store.failureReason().empty());

    // Space again: the next change is written, and a later failure is told
    // again.
    EXPECT_EQ(s.store.add(u"国"), FavoritesStore::Change::Written);
    EXPECT_EQ(s.store.test(u"国"), 1);
    {
        const tulvo::testing::FileSizeLimit full(4);
        EXPECT_EQ(s.store.remove(u"国"), FavoritesStore::Change::Failed);
    }
    EXPECT_EQ(s.store.test(u"国"), 1);
    EXPECT_EQ(s.messages.shown.size(), 2u);
}

TEST(FavoritesStore, AFileThatCannotBeReadIsNeverReplaced) {
    Store s;
    // A directory in the file's place: there, but not readable as a file.
    std::filesystem::create_directories(s.dir / "favorites.dat" / "keep");
    s.store.load();
    EXPECT_EQ(s.store.test(u"中"), 0);
    EXPECT_EQ(s.store.add(u"中"), FavoritesStore::Change::Failed);
    EXPECT_EQ(s.store.test(u"中"), 0);
    EXPECT_TRUE(std::filesystem::is_directory(s.dir / "favorites.dat" / "keep"));
    EXPECT_TRUE(leftovers(s.dir).empty());
    EXPECT_EQ(s.messages.shown.size(), 1u);
}

TEST(FavoritesStore, EachChangeAppliesToTheFileAsItIsNow) {
    TempDir dir;
    FavoritesStore first(dir / "favorites.dat"), second(dir / "favorites.dat");
    first.load();
    second.load();
    first.add(u"中国");
    second.add(u"学习");  // read before 中国 was added: must not drop it
    first.remove(u"不在");
    second.add(u"中");
    first.remove(u"学习");
    FavoritesStore fresh(dir / "favorites.dat");
    fresh.load();
    EXPECT_EQ(fresh.test(u"中国"), 1);
    EXPECT_EQ(fresh.test(u"中"), 1);
    EXPECT_EQ(fresh.test(u"学习"), 0);
    // The views follow the file without being told.
    EXPECT_TRUE(second.refresh());
    EXPECT_EQ(second.test(u"学习"), 0);
    EXPECT_FALSE(second.refresh());
    EXPECT_EQ(first.buffer(), fresh.buffer());
    EXPECT_TRUE(std::filesystem::exists(dir / "favorites.dat.lock"));

    // Another program's write is seen by test() of a store that stays idle.
    FavoritesStore other(dir / "favorites.dat");
    other.load();
    first.add(u"朋友");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(other.test(u"朋友"), 1);
}
