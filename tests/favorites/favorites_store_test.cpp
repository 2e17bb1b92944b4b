#include "favorites/favorites_store.hpp"

#include <gtest/gtest.h>

#include "tests/support/le_bytes.hpp"
#include "tests/support/temp_dir.hpp"

using namespace tulvo::favorites;
using tulvo::testing::TempDir;
using tulvo::testing::int32;
using tulvo::testing::units;

namespace {

class RecordedMessages : public FavoritesMessages {
public:
    std::vector<std::u16string> shown;
    void showMessage(std::u16string_view caption, std::u16string_view text) override {
        EXPECT_EQ(caption, u"Tulvo");
        shown.emplace_back(text);
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
    EXPECT_EQ(s.file(), int32(1) + int32(2) + units(u"丁中") + int32(2) + int32(1) + units(u"中国") +
                            int32(3) + int32(1) + units(u"中国人") + int32(4) + int32(1) +
                            units(u"中华人民"));
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
    for (const char16_t* word : {u"好", u"啊", u"\uFFFF", u"爱", u"一"}) EXPECT_EQ(s.store.test(word), 1);
}

TEST(FavoritesStore, AddingAPresentWordDoesNotRewrite) {
    Store s;
    s.store.load();
    s.store.add(u"中国");
    std::filesystem::remove(s.dir / "favorites.dat");
    s.store.add(u"中国");
    EXPECT_FALSE(std::filesystem::exists(s.dir / "favorites.dat"));
    s.store.remove(u"美国");  // absent: no write either
    EXPECT_FALSE(std::filesystem::exists(s.dir / "favorites.dat"));
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

TEST(FavoritesStore, ReadsAnExistingFileAndKeepsItsBuffer) {
    Store s;
    s.dir.write("favorites.dat", int32(1) + int32(2) + units(u"丁中") + int32(3) + int32(1) + units(u"中国人"));
    s.store.load();
    EXPECT_EQ(s.store.test(u"丁"), 1);
    EXPECT_EQ(s.store.test(u"中国人"), 1);
    // Changes by another program after the read are not seen and are
    // overwritten at the next change.
    s.dir.write("favorites.dat", "");
    EXPECT_EQ(s.store.test(u"中"), 1);
    s.store.add(u"中国");
    EXPECT_EQ(s.file(), int32(1) + int32(2) + units(u"丁中") + int32(2) + int32(1) + units(u"中国") +
                            int32(3) + int32(1) + units(u"中国人"));
}

TEST(FavoritesStore, WordsItCannotStore) {
    Store s;
    s.store.load();
    s.store.add(u"");
    s.store.add(std::u16string(31, u'中'));
    EXPECT_FALSE(std::filesystem::exists(s.dir / "favorites.dat.tmp"));
    EXPECT_EQ(s.file(), "");
    EXPECT_EQ(s.store.test(std::u16string(31, u'中')), 0);
    s.store.add(std::u16string(30, u'中'));
    EXPECT_EQ(s.file(), int32(30) + int32(1) + units(std::u16string(30, u'中')));
}

TEST(FavoritesStore, DamagedFilesMakeEveryOperationANoOp) {
    // The scan meets each damage before it reaches the block of length 3.
    const std::string damaged[] = {
        int32(2) + int32(0) + int32(1) + int32(1) + units(u"中"),  // lengths not increasing
        int32(31) + int32(0),                                        // length above 30
        int32(0) + int32(0),                                         // length below 1
        int32(1) + int32(-1),                                        // negative count
        int32(1) + int32(3) + units(u"中国"),                        // block cut short
        int32(1) + int32(1) + units(u"中") + "\x02\x00",             // header cut short
    };
    for (const std::string& bytes : damaged) {
        Store s;
        s.dir.write("favorites.dat", bytes);
        s.store.load();
        EXPECT_EQ(s.store.test(u"中国人"), 0);
        s.store.add(u"中国人");
        s.store.add(u"中华人");
        s.store.remove(u"中国人");
        EXPECT_EQ(s.file(), bytes);
        EXPECT_EQ(s.store.buffer(), bytes);
        EXPECT_TRUE(s.messages.shown.empty());
    }
}

TEST(FavoritesStore, OverflowMessageOnlyWhileDebugFileExists) {
    Store s;
    const std::string bytes = int32(1) + int32(1'000'001);
    s.dir.write("favorites.dat", bytes);
    s.store.load();
    s.store.add(u"中国");
    EXPECT_TRUE(s.messages.shown.empty());
    EXPECT_EQ(s.file(), bytes);
    s.dir.write("debug.txt", "");
    EXPECT_EQ(s.store.test(u"中国"), 0);
    ASSERT_EQ(s.messages.shown.size(), 1u);
    EXPECT_EQ(s.messages.shown[0],
              u"overflow in favorites.dat\rlength: 1 nbwords: 1000001 favlength: 2");
    EXPECT_EQ(s.file(), bytes);
}

TEST(FavoritesStore, WriteReplacesTheFileThroughATemporaryOne) {
    Store s;
    s.store.load();
    s.store.add(u"中");
    EXPECT_FALSE(std::filesystem::exists(s.dir / "favorites.dat.tmp"));
    // When the temporary file cannot be made the old file stays whole.
    std::filesystem::create_directory(s.dir / "favorites.dat.tmp");
    std::filesystem::create_directory(s.dir / "favorites.dat.tmp" / "keep");
    s.store.add(u"国");
    EXPECT_EQ(s.file(), int32(1) + int32(1) + units(u"中"));
    EXPECT_EQ(s.store.test(u"国"), 1);  // the buffer holds it all the same
}

TEST(FavoritesStore, AFileThatCannotBeReadIsNeverReplaced) {
    Store s;
    // A directory in the file's place: there, but not readable as a file.
    std::filesystem::create_directories(s.dir / "favorites.dat" / "keep");
    s.store.load();
    EXPECT_EQ(s.store.test(u"中"), 0);
    s.store.add(u"中");
    EXPECT_EQ(s.store.test(u"中"), 1);
    EXPECT_TRUE(std::filesystem::is_directory(s.dir / "favorites.dat" / "keep"));
    EXPECT_FALSE(std::filesystem::exists(s.dir / "favorites.dat.tmp"));
}
