#include "characters/freq_file.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/unicode_text.hpp"
#include "tests/support/le_bytes.hpp"
#include "tests/support/temp_dir.hpp"

using namespace tulvo::characters;
using tulvo::testing::int32;
using tulvo::testing::TempDir;
using tulvo::testing::units;

namespace {

// A file of single-character and two-character words, one with a value for
// some readings only.
std::string sampleFile() {
    FreqFileWriter writer;
    writer.add(u"的", frequencyValue(0, 1), {"di1", "di2", "di4"});
    writer.add(u"中", frequencyValue(0, 1), {"Zhong1", "zhong4"});
    writer.add(u"好", frequencyValue(0, 1));
    writer.add(u"丁", 0);
    writer.add(u"中国", frequencyValue(0, 1));
    writer.add(u"我们", frequencyValue(0, 1));
    writer.add(u"中國", frequencyValue(2, 0));
    writer.add(u"\uFFFF\uFFFF", frequencyValue(9, 6));
    return writer.bytes();
}

}  // namespace

TEST(FreqFile, WriterAndReaderAgreeAlsoForSomeReadingsOnly) {
    TempDir dir;
    const FreqFile freq(dir.write("freq.dat", sampleFile()));
    // 丁: class 0, no HSK level; units compare unsigned; a word longer than
    // every block is not found. 中 and 的 have values for listed readings only:
    // an empty reading matches none of them, readings compare as bytes and
    // whole.
    // clang-format off
    const std::tuple<std::u16string, const char*, int> cases[] = {
        {u"好", "", 0x10}, {u"好", "hao4", 0x10}, {u"丁", "ding1", 0},
        {u"中国", "Zhong1 guo2", 0x10}, {u"中國", "", 2}, {u"我们", "wo3 men5", 0x10},
        {u"\uFFFF\uFFFF", "", 0x69}, {u"国", "", -1}, {u"中间", "", -1}, {u"", "", -1},
        {u"中华人民共和国", "", -1}, {u"中", "zhong1", 0x10}, {u"中", "", 0x10},
        {u"中", "zhong4", -1}, {u"中", "Zhong1", -1}, {u"中", "zhong", 0x10}, {u"的", "de5", 0x10},
        {u"的", "di4", -1}};
    // clang-format on
    for (const auto& [word, reading, value] : cases)
        EXPECT_EQ(freq.lookup(word, reading), value) << tulvo::utf16ToUtf8(word) << " " << reading;
}

TEST(FreqFile, HandMadeLineWithTwoReadings) {
    // The value byte b, then TAB xiao3 TAB shao4, after a block of one word.
    TempDir dir;
    const char b = 0x23;
    const std::string block = int32(1) + int32(1) + units(u"少") + int32(-1);
    const std::string bytes = int32(4 + 8 + 6 - 1) + block + b + "\txiao3\tshao4\r\n";
    const FreqFile freq(dir.write("freq.dat", bytes));
    for (const auto& [reading, value] :
         {std::pair<const char*, int>{"xiao3", -1}, {"shao4", -1}, {"shao3", 0x23}, {"", 0x23}})
        EXPECT_EQ(freq.lookup(u"少", reading), value) << reading;
}

TEST(FreqFile, LineWithoutLineEndAndTabAsValueByte) {
    TempDir dir;
    // The last line has no CR LF; its value byte 9 (class 9) is a TAB, which
    // must not read as an empty reading.
    const std::string block = int32(1) + int32(1) + units(u"少") + int32(-1);
    const std::string bytes = int32(4 + 8 + 6 - 1) + block + "\x09\txiao3";
    const FreqFile freq(dir.write("freq.dat", bytes));
    EXPECT_EQ(freq.lookup(u"少", ""), 9);
    EXPECT_EQ(freq.lookup(u"少", "xiao3"), -1);
    EXPECT_EQ(freq.lookup(u"少", "shao3"), 9);
}

TEST(FreqFile, BlockOfOneRecordThatDiffersEndsTheSearch) {
    TempDir dir;
    // Two blocks of length 1 would break the format; the search must stop
    // at the first one that has the query's length.
    const std::string bytes = int32(0) + int32(1) + int32(1) + units(u"甲") + int32(5) + int32(1) +
                              int32(1) + units(u"乙") + int32(6);
    const FreqFile freq(dir.write("freq.dat", bytes));
    EXPECT_EQ(freq.lookup(u"甲", ""), 5);
    EXPECT_EQ(freq.lookup(u"乙", ""), -1);
}

TEST(FreqFile, MissingFileFindsNothing) {
    TempDir dir;
    FreqFile freq(dir / "freq.dat");
    EXPECT_FALSE(freq.isOpen());
    EXPECT_EQ(freq.lookup(u"好", ""), -1);
    const FreqFile empty(dir.write("empty.dat", ""));
    EXPECT_EQ(empty.lookup(u"好", ""), -1);
    const FreqFile directory(dir.path());
    EXPECT_EQ(directory.lookup(u"好", ""), -1);
    // A pipe with no writer, or an endless device, in the file's place is no
    // frequency file: opening it neither waits nor reads forever.
    ASSERT_EQ(::mkfifo((dir / "fifo.dat").c_str(), 0600), 0);
    FreqFile pipe(dir / "fifo.dat");
    EXPECT_FALSE(pipe.isOpen());
    FreqFile device("/dev/zero");
    EXPECT_FALSE(device.isOpen());
}

TEST(FreqFile, AHeaderCutAtThePagesEndIsNotReadPastIt) {
    // A block of one-character words, then the first bytes of the next
    // block's header, ending the file exactly at a page's end: nothing of the
    // mapped file may be read beyond it.
    const auto page = size_t(::sysconf(_SC_PAGESIZE));
    const size_t records = (page - 12 - 1) / 6;
    std::string bytes = int32(0) + int32(1) + int32(int32_t(records));
    for (size_t i = 0; i < records; ++i)
        bytes += units(std::u16string(1, char16_t(0x4E00 + i))) + int32(0);
    bytes += int32(2).substr(0, page - bytes.size());
    ASSERT_EQ(bytes.size(), page);
    TempDir dir;
    const FreqFile freq(dir.write("cut.dat", bytes));
    EXPECT_EQ(freq.lookup(u"一", ""), 0);
    EXPECT_EQ(freq.lookup(u"中国", ""), -1);
}

TEST(FreqFile, StaysOpenAfterTheFileIsRemoved) {
    TempDir dir;
    const auto path = dir.write("freq.dat", sampleFile());
    const FreqFile freq(path);
    std::filesystem::remove(path);
    EXPECT_EQ(freq.lookup(u"好", ""), 0x10);
}

TEST(FreqFile, TruncatedOrDamagedFilesNeverCrash) {
    TempDir dir;
    const std::string sound = sampleFile();
    const std::u16string words[] = {u"的",   u"中",   u"好",           u"丁", u"中国",
                                    u"我们", u"中國", u"\uFFFF\uFFFF", u"国"};
    // Every truncation: a lookup finds the value or nothing.
    for (size_t size = 0; size < sound.size(); ++size) {
        const FreqFile freq(dir.write("cut.dat", sound.substr(0, size)));
        for (const auto& word : words) {
            const int value = freq.lookup(word, "");
            EXPECT_GE(value, -1);
            EXPECT_LE(value, 255);
        }
    }
    // Every byte set to values that make lengths, counts and offsets absurd.
    for (size_t at = 0; at < sound.size(); ++at) {
        for (const char bad : {'\x00', '\x80', '\xFF', '\x7F'}) {
            std::string damaged = sound;
            damaged[at] = bad;
            const FreqFile freq(dir.write("bad.dat", damaged));
            for (const auto& word : words) {
                const int value = freq.lookup(word, "zhong4");
                EXPECT_GE(value, -1);
                EXPECT_LE(value, 255);
            }
        }
    }
    // Negative lengths and counts, and a value pointing far outside.
    const std::string absurd[] = {
        int32(0) + int32(-1) + int32(1),
        int32(0) + int32(1) + int32(-5),
        int32(0) + int32(1) + int32(0x7FFFFFFF) + units(u"好") + int32(1),
        int32(0x7FFFFFFF) + int32(1) + int32(1) + units(u"好") + int32(INT32_MIN),
        int32(-100) + int32(1) + int32(1) + units(u"好") + int32(-1),
    };
    for (const std::string& bytes : absurd) {
        const FreqFile freq(dir.write("absurd.dat", bytes));
        EXPECT_EQ(freq.lookup(u"好", ""), -1);
    }
}
