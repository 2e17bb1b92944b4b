// The word-list import: encodings found from marks, requests and detection;
// word splitting; the preview's list and choices; the saved store and its
// backup; update-back of a tracked list.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <random>

#include "favorites/code_pages.hpp"
#include "favorites/list_import.hpp"
#include "platform/unicode_text.hpp"
#include "tests/support/file_size_limit.hpp"
#include "tests/support/temp_dir.hpp"

using namespace tulvo::favorites;
using tulvo::testing::TempDir;

namespace {

const std::u16string kList =
    u"你好, 学习 汉语\r\n朋友 (péngyou) friend\r\n老师 lao3shi1 teacher\r\n我们 他们 时候 因为 "
    u"所以 "
    u"马上 中国 学生 今天 明天 东西 电脑 飞机 医院 银行 商店 饭馆 咖啡\r\n";

// Frequency classes as the program's data gives them: the characters and
// words of these lists are common, everything else unknown.
int classOf(std::u16string_view word) {
    static const std::u16string common =
        u"你好学习汉语朋友老师我们他时候因为所以马上中国生今天明东西电脑飞机医院银行商店饭馆咖啡"
        u"學習漢語師們時為馬國東電腦飛醫銀館認識字词典詞认识";
    if (word.size() == 1) {
        const size_t at = common.find(word[0]);
        return at == std::u16string::npos ? -1 : int(at % 4);
    }
    for (const char16_t* known : {u"你好", u"学习", u"學習", u"汉语", u"漢語", u"认识", u"認識"})
        if (word == known) return 1;
    return -1;
}

std::string encoded(std::u16string_view text, int codePage) {
    return encode(text, codePage).value();
}

// Answers the preview as a user would and records what it was shown.
class FakePreview : public FilePreview {
  public:
    explicit FakePreview(int answer = -2) : answer_(answer) {}
    int choose(std::string_view text, const std::vector<EncodingEntry>& entries,
               int selected) override {
        ++shown;
        shownText.assign(text);
        shownEntries = entries;
        shownSelected = selected;
        return answer_ == -2 ? entries[size_t(selected)].codePage : answer_;
    }
    int shown = 0;
    std::string shownText;
    std::vector<EncodingEntry> shownEntries;
    int shownSelected = -1;

  private:
    int answer_;
};

class ListImportTest : public ::testing::Test {
  protected:
    ListImportTest() : store_(dir_ / "favorites.dat", dir_ / "debug.txt") { store_.load(); }

    int import(std::string_view bytes, int encoding = -1, FilePreview* preview = nullptr,
               bool singles = true) {
        ImportRequest request;
        request.text = bytes;
        request.encoding = encoding;
        request.showPreview = preview != nullptr;
        request.addSingleCharacters = singles;
        request.classes = classOf;
        return importList(request, store_, preview, &chosen_);
    }
    bool has(std::u16string_view word) { return store_.test(word) == 1; }
    std::string fileBytes() const { return TempDir::read(dir_ / "favorites.dat"); }

    TempDir dir_;
    FavoritesStore store_;
    int chosen_ = -99;
};

TEST_F(ListImportTest, EveryListedEncodingImportsTheSameWords) {
    const std::vector<std::pair<std::string, std::string>> files = {
        {"UTF-16LE with mark", "\xFF\xFE" + encoded(kList, kUtf16)},
        {"UTF-16LE without mark", encoded(kList, kUtf16)},
        {"UTF-8 with mark", "\xEF\xBB\xBF" + encoded(kList, kUtf8)},
        {"UTF-8", encoded(kList, kUtf8)},
        {"GBK", encoded(kList, kGbk)},
    };
    for (const auto& [name, bytes] : files) {
        TempDir dir;
        FavoritesStore store(dir / "favorites.dat");
        store.load();
        ImportRequest request;
        request.text = bytes;
        request.classes = classOf;
        // 3 + 2 + 2 + 20 two-character words and their distinct single characters.
        EXPECT_GT(importList(request, store, nullptr), 27) << name;
        for (std::u16string_view word :
             {u"你好", u"学习", u"汉语", u"朋友", u"老师", u"咖啡", u"你", u"啡"})
            EXPECT_EQ(store.test(word), 1) << name;
        EXPECT_EQ(store.test(u"péngyou"), 0) << name;
    }
}

TEST_F(ListImportTest, Big5AndUtf7AndGivenCodePagesDecodeRight) {
    const std::u16string traditional =
        u"你好，學習 漢語\r\n朋友 老師 我們 他們 時候 因為 所以 馬上 中國 學生\r\n";
    EXPECT_EQ(encoded(u"你好", kBig5), "\xA7\x41\xA6\x6E");  // the bytes a Big5 file holds
    EXPECT_GT(import(encoded(traditional, kBig5)), 0);
    EXPECT_TRUE(has(u"學習"));
    EXPECT_TRUE(has(u"馬上"));

    // UTF-7 text is plain ASCII; given or detected, it decodes.
    EXPECT_EQ(encoded(u"你好", kUtf7), "+T2BZfQ-");
    EXPECT_GT(import(encoded(u"电脑, 汉字\r\n", kUtf7), kUtf7), 0);
    EXPECT_TRUE(has(u"电脑"));
    EXPECT_TRUE(has(u"汉字"));

    // A Shift-JIS answer stands for GBK: 中文 and 文 are new.
    EXPECT_EQ(import("\xC4\xE3\xBA\xC3 \xD6\xD0\xCE\xC4", kShiftJis), 2);  // 你好 中文
    EXPECT_EQ(chosen_, kGbk);
    EXPECT_TRUE(has(u"中文"));
}

TEST(ListDetector, ShortListsReadRightInEveryEncoding) {
    // The lists a generic detector misreads most: a word or two.
    const std::pair<std::u16string, int> lists[] = {
        {u"认识 所以", kGbk},  {u"認識 所以", kBig5},  {u"你好", kGbk},
        {u"學習", kBig5},      {u"汉语，学习", kUtf7}, {u"朋友，老师", kUtf16},
        {u"朋友，老师", 1201}, {u"电脑\r\n", kUtf8},   {u"你好 \u3400", 54936},
    };
    for (const auto& [text, codePage] : lists) {
        const std::string bytes = encode(text, codePage, true).value();
        const int found = detectListCodePage(bytes, classOf);
        EXPECT_EQ(decode(bytes, found).value_or(u""), text)
            << tulvo::utf16ToUtf8(text) << " in " << codePage << " read as " << found;
    }
    // GBK bytes also decode as Big5 (to rarer characters): the common
    // reading wins. Without frequency data every ideograph counts alike.
    EXPECT_EQ(detectListCodePage(encoded(u"认识", kGbk), classOf), kGbk);
    EXPECT_EQ(detectListCodePage(encoded(kList, kUtf8), {}), kUtf8);

    // Text that is no Chinese gets what yields no ideographs.
    const std::string english = "just some English words\r\n";
    EXPECT_EQ(decode(english, detectListCodePage(english, classOf)).value(),
              tulvo::utf8ToUtf16(english));
    for (const std::string& noise :
         {std::string("\x01\x9A\xFF\x13\x00\x8C", 6), std::string("\xF8\x12")}) {
        const auto units = decode(noise, detectListCodePage(noise, classOf)).value_or(u"");
        EXPECT_TRUE(splitWords(units, false).empty());
    }

    // The score: common characters and known words for, foreign ones against.
    EXPECT_TRUE(scoreText(u"你好", classOf).chinese());
    EXPECT_GT(scoreText(u"学习", classOf).score, scoreText(u"习学", classOf).score);
    EXPECT_FALSE(scoreText(u"你好\uE000\uE001", classOf).chinese());  // private use
    EXPECT_FALSE(scoreText(u"なに", classOf).chinese());
    EXPECT_FALSE(scoreText(u"hello", classOf).chinese());
}

TEST_F(ListImportTest, AByteOrderMarkWinsOverTheRequest) {
    EXPECT_EQ(import("\xEF\xBB\xBF" + encoded(u"汉字 词典", kUtf8), kGbk), 6);
    EXPECT_EQ(chosen_, kUtf8);
    EXPECT_TRUE(has(u"词典"));
    EXPECT_EQ(encodingOf("\xFF\xFE\x41\x00", kGbk).codePage, kUtf16);
    EXPECT_EQ(encodingOf("\xFF\xFE\x41\x00", kGbk).skip, 2u);
    // Fewer than three bytes: no mark is looked for.
    EXPECT_EQ(encodingOf("\xFF\xFE", kGbk).codePage, kGbk);
}

TEST(SplitWords, SeparatorsAndLimits) {
    using V = std::vector<std::u16string>;
    EXPECT_EQ(splitWords(u"你好,中国 学习", false), (V{u"你好", u"中国", u"学习"}));
    EXPECT_EQ(splitWords(u"你好,中国 学习", true),
              (V{u"你好", u"你", u"好", u"中国", u"中", u"国", u"学习", u"学", u"习"}));
    EXPECT_EQ(splitWords(u"朋友 péngyou peng2you5 friend", true), (V{u"朋友", u"朋", u"友"}));
    // Extension A (U+3400), a compatibility ideograph (U+F900), a pair for
    // extension B, U+4DFF and U+A000 just outside the range all separate.
    EXPECT_EQ(splitWords(u"一\u3400二\uF900三\U00020000四\u4DFF五\uA000鿿", false),
              (V{u"一", u"二", u"三", u"四", u"五", u"\u9FFF"}));
    // The walk ends at a zero unit.
    EXPECT_EQ(splitWords(std::u16string(u"一二\0三四", 5), false), (V{u"一二"}));

    const std::u16string fifteen = u"一二三四五六七八九十百千万亿兆";
    ASSERT_EQ(fifteen.size(), 15u);
    EXPECT_EQ(splitWords(fifteen, true).size(), 16u);
    EXPECT_TRUE(splitWords(fifteen + u"京", true).empty());
    EXPECT_EQ(splitWords(fifteen + u"京 你好", false), (V{u"你好"}));
}

TEST_F(ListImportTest, CommaAndSpaceLineGivesThreeWordsAndSixCharacters) {
    EXPECT_EQ(import(encoded(u"你好,中国 学习", kUtf8), kUtf8, nullptr, false), 3);
    EXPECT_FALSE(has(u"你"));
    EXPECT_EQ(import(encoded(u"你好,中国 学习", kUtf8), kUtf8, nullptr, true), 6);
    EXPECT_TRUE(has(u"你"));
    EXPECT_TRUE(has(u"习"));
}

TEST_F(ListImportTest, NewWordsAreSavedOnceWithABackupOfTheOldFile) {
    store_.add(u"马");
    const std::string before = fileBytes();
    EXPECT_EQ(import(encoded(u"马上 马", kUtf8), kUtf8), 2);  // 马上 and 上; 马 was there
    EXPECT_EQ(TempDir::read(dir_ / "favorites.dat.bak"), before);
    FavoritesStore reread(dir_ / "favorites.dat");
    reread.load();
    EXPECT_EQ(reread.test(u"马上"), 1);
    EXPECT_EQ(reread.buffer(), store_.buffer());

    // Importing the same list again adds nothing and touches neither file.
    std::filesystem::remove(dir_ / "favorites.dat.bak");
    const std::string after = fileBytes();
    EXPECT_EQ(import(encoded(u"马上 马", kUtf8), kUtf8), 0);
    EXPECT_EQ(fileBytes(), after);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "favorites.dat.bak"));
}

TEST_F(ListImportTest, BytesThatAreNotTextImportNothingAndLoseNothing) {
    store_.add(u"好");
    const std::string before = fileBytes();
    for (unsigned seed = 1; seed <= 40; ++seed) {
        std::mt19937 random(seed);
        std::string noise(size_t(2000 + seed * 777), '\0');
        for (char& c : noise) c = char(random());
        EXPECT_EQ(import(noise), 0) << "seed " << seed;
    }
    EXPECT_EQ(fileBytes(), before);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "favorites.dat.bak"));
}

TEST_F(ListImportTest, ADamagedStoreAddsNothingAndSaysSo) {
    // A block of words longer than 30 units.
    const std::string damaged("\x1F\0\0\0\0\0\0\0", 8);
    std::ofstream(dir_ / "favorites.dat", std::ios::binary) << damaged;
    store_.load();
    EXPECT_EQ(import(encoded(u"你好", kUtf8), kUtf8), kImportFailed);
    EXPECT_NE(store_.failureReason().find("damaged"), std::string::npos);
    EXPECT_EQ(fileBytes(), damaged);
}

TEST_F(ListImportTest, PreviewShowsTheDetectedDecodingAndItsChoiceIsUsed) {
    FakePreview asDetected;
    const std::string gbk = encoded(kList, kGbk);
    EXPECT_GT(import(gbk, -1, &asDetected), 0);
    EXPECT_EQ(asDetected.shown, 1);
    EXPECT_EQ(asDetected.shownEntries.size(), 5u);
    EXPECT_EQ(asDetected.shownSelected, 3);
    EXPECT_EQ(chosen_, kGbk);
    EXPECT_TRUE(has(u"汉语"));

    // The user picks UTF-8 for a UTF-8 file that the mark already named:
    // the preview is shown the text after the mark.
    TempDir other;
    FavoritesStore store(other / "favorites.dat");
    store.load();
    FakePreview picksBig5(kBig5);
    ImportRequest request;
    const std::string big5 = encoded(u"學習 漢語", kBig5);
    request.text = big5;
    request.encoding = kGbk;
    request.showPreview = true;
    EXPECT_EQ(importList(request, store, &picksBig5), 6);
    EXPECT_EQ(store.test(u"漢語"), 1);
    EXPECT_EQ(picksBig5.shownText, big5);
}

TEST_F(ListImportTest, CancelledPreviewChangesNothing) {
    store_.add(u"好");
    const std::string before = fileBytes();
    FakePreview cancels(-1);
    EXPECT_EQ(import(encoded(kList, kUtf8), -1, &cancels), -1);
    EXPECT_EQ(cancels.shown, 1);
    EXPECT_EQ(fileBytes(), before);
    EXPECT_FALSE(has(u"你好"));
}

TEST(EncodingList, FixedEntriesAndTheSixth) {
    const auto five = encodingEntries(kUtf8);
    ASSERT_EQ(five.size(), 5u);
    EXPECT_EQ(five[0].label, u"Unicode, standard encoding");
    EXPECT_EQ(five[3].label, u"Simplified Chinese, GB2312 encoding");
    EXPECT_EQ(five[4].codePage, kBig5);
    EXPECT_EQ(encodingEntries(kUtf16).size(), 5u);
    EXPECT_EQ(encodingEntries(kGbk).size(), 5u);

    const auto western = encodingEntries(1252);
    ASSERT_EQ(western.size(), 6u);
    EXPECT_EQ(western[5].label, u"Encoding #1252 (Western characters only)");
    EXPECT_EQ(western[5].codePage, 1252);
    // The list names what the preview shows: the detected code page.
    EXPECT_EQ(selectedEntry(western, 1252), 5);
    EXPECT_EQ(encodingEntries(1251)[5].label, u"Encoding #1251");
    EXPECT_EQ(encodingEntries(20127)[5].label, u"Encoding #20127 (Western characters only)");
    // UTF-7 has its own entry, and still gets the sixth.
    const auto utf7 = encodingEntries(kUtf7);
    EXPECT_EQ(utf7.size(), 6u);
    EXPECT_EQ(selectedEntry(utf7, kUtf7), 2);
}

TEST_F(ListImportTest, WesternTextIsDetectedAs1252AndOfferedThatWay) {
    FakePreview preview;
    const std::string english = "apple, banana\r\nhello world, this is an English word list\r\n";
    EXPECT_EQ(import(english, -1, &preview), 0);
    ASSERT_EQ(preview.shownEntries.size(), 6u);
    EXPECT_EQ(preview.shownEntries[5].label, u"Encoding #1252 (Western characters only)");
    EXPECT_EQ(chosen_, 1252);
    EXPECT_TRUE(store_.buffer().empty());
}

TEST(PreviewText, ShowsAtMostTenThousandBytesOrUnits) {
    const std::string utf16(30'000, 'A');
    EXPECT_EQ(previewText(utf16, kUtf16).size(), 5'000u);
    EXPECT_EQ(previewText(std::string(30'000, 'a'), kUtf8).size(), 10'000u);
    EXPECT_EQ(previewText(encoded(u"汉字", kGbk), kGbk), u"汉字");
    EXPECT_EQ(previewText(encoded(u"漢字", kBig5), kBig5), u"漢字");
}

TEST(UpdateBack, AppendsInTheTrackedEncoding) {
    TempDir dir;
    const auto utf16 = dir.write("list16.txt", "\xFF\xFE" + encoded(u"你好", kUtf16));
    EXPECT_EQ(appendToTrackedList(utf16, kUtf16, u"学习"), UpdateBack::Appended);
    EXPECT_EQ(TempDir::read(utf16), "\xFF\xFE" + encoded(u"你好 学习", kUtf16));

    const auto gbk = dir.write("listgbk.txt", "\xC4\xE3\xBA\xC3");
    EXPECT_EQ(appendToTrackedList(gbk, kGbk, u"学习"), UpdateBack::Appended);
    EXPECT_EQ(TempDir::read(gbk), "\xC4\xE3\xBA\xC3 \xD1\xA7\xCF\xB0");

    // No encoding chosen: the one the import finds in the file.
    const auto utf8 = dir.write("list8.txt", "\xEF\xBB\xBF" + encoded(u"你好", kUtf8));
    EXPECT_EQ(appendToTrackedList(utf8, -1, u"中"), UpdateBack::Appended);
    EXPECT_EQ(TempDir::read(utf8), "\xEF\xBB\xBF" + encoded(u"你好 中", kUtf8));

    EXPECT_EQ(appendToTrackedList(dir / "missing.txt", kGbk, u"学习"), UpdateBack::NoFile);
    EXPECT_FALSE(std::filesystem::exists(dir / "missing.txt"));

    // The appended word comes back in the next re-import.
    FavoritesStore store(dir / "favorites.dat");
    store.load();
    ImportRequest request;
    const std::string bytes = TempDir::read(gbk);
    request.text = bytes;
    request.encoding = kGbk;
    EXPECT_EQ(importList(request, store, nullptr), 6);
    EXPECT_EQ(store.test(u"学习"), 1);
}

TEST(UpdateBack, TheWholeWordOrNothing) {
    TempDir dir;
    // A Big5 list has no place for simplified 学: nothing is written, rather
    // than a "?" that would come back as no word or a wrong one.
    const std::string big5 = encoded(u"學習", kBig5);
    const auto list = dir.write("big5.txt", big5);
    EXPECT_EQ(appendToTrackedList(list, kBig5, u"学习"), UpdateBack::CannotHold);
    EXPECT_EQ(appendToTrackedList(list, kGbk, u"\U00020000"), UpdateBack::CannotHold);
    EXPECT_EQ(TempDir::read(list), big5);
    EXPECT_EQ(appendToTrackedList(list, kBig5, u"漢語"), UpdateBack::Appended);

    // A full disk in the middle of the word: the file is cut back to what it
    // was, so the list never ends in half a character.
    const std::string utf16 = "\xFF\xFE" + encoded(u"你好", kUtf16);
    const auto wide = dir.write("wide.txt", utf16);
    std::string reason;
    {
        const tulvo::testing::FileSizeLimit full(utf16.size() + 3);
        EXPECT_EQ(appendToTrackedList(wide, kUtf16, u"学习", {}, &reason), UpdateBack::Failed);
    }
    EXPECT_EQ(TempDir::read(wide), utf16);
    EXPECT_FALSE(reason.empty());
}

TEST(ListFiles, OnlyRegularFilesOfListSize) {
    TempDir dir;
    const auto list = dir.write("list.txt", "你好");
    EXPECT_EQ(readListFile(list).status, ListFile::Read);
    EXPECT_EQ(readListFile(list).bytes, "你好");
    EXPECT_EQ(readListFile(dir / "missing").status, ListFile::Missing);
    // Neither a device that never ends nor a pipe nobody writes holds up
    // the reader (or update-back).
    EXPECT_EQ(readListFile("/dev/zero").status, ListFile::NotAFile);
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(readListFile(dir / "fifo").status, ListFile::NotAFile);
    EXPECT_EQ(appendToTrackedList(dir / "fifo", kGbk, u"你"), UpdateBack::NoFile);
    EXPECT_EQ(appendToTrackedList(dir / "fifo", -1, u"你"), UpdateBack::NoFile);
    EXPECT_EQ(readListFile(dir.path()).status, ListFile::NotAFile);
    // Larger than any list: refused before it is read.
    std::filesystem::resize_file(dir.write("huge.txt", ""), kMaxListBytes + 1);
    EXPECT_EQ(readListFile(dir / "huge.txt").status, ListFile::TooLarge);
    std::filesystem::resize_file(dir / "huge.txt", kMaxListBytes);
    EXPECT_EQ(readListFile(dir / "huge.txt").status, ListFile::Read);
}

TEST_F(ListImportTest, AStoreThatCannotBeWrittenFailsTheImport) {
    store_.add(u"好");
    const std::string before = fileBytes();
    {
        const tulvo::testing::FileSizeLimit full(before.size());
        EXPECT_EQ(import(encoded(u"你好 中国", kUtf8), kUtf8), kImportFailed);
    }
    EXPECT_FALSE(store_.failureReason().empty());
    EXPECT_EQ(fileBytes(), before);
    EXPECT_FALSE(has(u"你好"));
    EXPECT_EQ(import(encoded(u"你好 中国", kUtf8), kUtf8), 5);
}

TEST(CodePages, DetectionAndUnknownPages) {
    EXPECT_EQ(codePageOfCharset("GB18030"), kGbk);
    EXPECT_EQ(codePageOfCharset("Shift_JIS"), kShiftJis);
    EXPECT_EQ(codePageOfCharset("no such"), -1);
    EXPECT_EQ(detectCodePage(encoded(kList, kUtf8)), kUtf8);
    EXPECT_EQ(detectCodePage(encoded(kList, kGbk)), kGbk);
    EXPECT_FALSE(decode("abc", 12345).has_value());
    EXPECT_EQ(decode("caf\xE9", 1252).value(), u"café");
}

TEST(CodePages, DecodedTextIsValidUtf16) {
    // Bytes of a GBK list read as UTF-16LE: 0xD7DC is a lone low surrogate.
    EXPECT_EQ(decode(std::string("\xd4\xba\xd7\xdc", 4), kUtf16).value(), u"\xBAD4\xFFFD");
    EXPECT_EQ(decode(std::string("\x3d\xd8\x00\x4e", 4), kUtf16).value(), u"\xFFFD\x4E00");
    // A pair stays a pair, and a limit never cuts one in half.
    const std::string pair("\x3d\xd8\x00\xde\x00\x4e", 6);  // U+1F600 一
    EXPECT_EQ(decode(pair, kUtf16).value(), u"\U0001F600一");
    EXPECT_EQ(decode(pair, kUtf16, 1).value(), u"");
    const std::string utf8 = "\xF0\x9F\x98\x80\xE4\xB8\x80";
    EXPECT_EQ(decode(utf8, kUtf8, 1).value(), u"");
    EXPECT_EQ(decode(utf8, kUtf8, 2).value(), u"\U0001F600");
}

}  // namespace
