#include <gtest/gtest.h>
#include <sys/resource.h>
#include <zlib.h>

#include "platform/run_program.hpp"
#include "platform/whole_file.hpp"
#include "tests/support/temp_dir.hpp"
#include "tests/support/zip_builder.hpp"
#include "tools/ploskar/zip_extract.hpp"

namespace tulvo::ploskar {
namespace {

using testing::TempDir;
using testing::ZipBuilder;

const std::string kArchive(kArchiveName), kOutput(kOutputName), kMarker(kMarkerName);

const std::string kLines = "# CC-CEDICT\n你好 你好 [ni3 hao3] /hello/\r\n中 中 [zhong1] /middle/\n";
const std::string kCrLf =
    "# CC-CEDICT\r\n你好 你好 [ni3 hao3] /hello/\r\n中 中 [zhong1] /middle/\r\n";

TEST(ExtractDictionary, FindsTheEntryInAnyCaseAndFolderStoredOrDeflated) {
    for (bool deflated : {true, false}) {
        for (std::string name : {"cedict_ts.u8", "CEDICT_TS.U8", "export/cedict_ts.u8"}) {
            const std::string zip =
                ZipBuilder().add("readme.txt", "hello").add(name, kLines, deflated).bytes();
            const Extracted got = extractDictionary(zip);
            EXPECT_EQ(got.error, ExtractError::None) << name;
            EXPECT_EQ(got.bytes, kCrLf) << name;
        }
    }
}

TEST(ExtractDictionary, BadArchivesAreRefused) {
    const std::string good = ZipBuilder().add("cedict_ts.u8", kLines).bytes();
    EXPECT_EQ(extractDictionary("").error, ExtractError::NotAnArchive);
    EXPECT_EQ(extractDictionary("<html>not found</html>").error, ExtractError::NotAnArchive);
    EXPECT_EQ(extractDictionary(ZipBuilder().add("other.txt", "x").bytes()).error,
              ExtractError::EntryMissing);
    // Cut anywhere: never read past the end, never a success.
    for (size_t cut = 0; cut < good.size(); cut += 7)
        EXPECT_NE(extractDictionary(std::string_view(good).substr(0, cut)).error,
                  ExtractError::None)
            << cut;
    // A flipped data byte fails inflate or the CRC check.
    std::string corrupt = good;
    corrupt[50] = static_cast<char>(corrupt[50] ^ 0x55);
    EXPECT_NE(extractDictionary(corrupt).error, ExtractError::None);
    // A stored entry whose bytes no longer match its CRC.
    std::string stored = ZipBuilder().add("cedict_ts.u8", kLines, false).bytes();
    stored[30 + 12 + 3] = 'X';
    EXPECT_EQ(extractDictionary(stored).error, ExtractError::Corrupt);
    // The central directory pointing outside the file.
    std::string pointer = good;
    pointer[pointer.size() - 3] = '\x7f';
    EXPECT_EQ(extractDictionary(pointer).error, ExtractError::NotAnArchive);
    // A declared size above the limit is not inflated.
    EXPECT_EQ(extractDictionary(good, 10).error, ExtractError::TooLarge);
}

// A deflate stream of `size` bytes repeating `pattern` (zeros by default;
// about 1000:1), made piece by piece so that the test never holds the
// inflated bytes. `size` is a multiple of the pattern's length.
std::string makeZeroBomb(size_t size, uint32_t& crc, std::string_view pattern = {"\0", 1}) {
    std::string zeros;
    while (zeros.size() + pattern.size() <= (1 << 20)) zeros += pattern;
    z_stream z{};
    deflateInit2(&z, Z_BEST_SPEED, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out;
    char buffer[1 << 16];
    crc = 0;
    for (size_t left = size; left > 0;) {
        const size_t n = std::min(left, zeros.size());
        left -= n;
        crc = uint32_t(crc32(crc, reinterpret_cast<const Bytef*>(zeros.data()), uInt(n)));
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.data()));
        z.avail_in = uInt(n);
        do {
            z.next_out = reinterpret_cast<Bytef*>(buffer);
            z.avail_out = sizeof buffer;
            deflate(&z, left == 0 ? Z_FINISH : Z_NO_FLUSH);
            out.append(buffer, sizeof buffer - z.avail_out);
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    return out;
}

std::string lineNumbers() {
    std::string text;
    for (int i = 0; i < 20'000; ++i) text += "line " + std::to_string(i) + "\n";
    return text;
}

// 400 MiB of zeros, made once.
const std::string& zeroBomb(uint32_t& crc) {
    static uint32_t bombCrc = 0;
    static const std::string bomb = makeZeroBomb(size_t(400) << 20, bombCrc);
    crc = bombCrc;
    return bomb;
}

TEST(ExtractDictionary, OnlyADictionaryIsTaken) {
    for (const std::string& text : std::vector<std::string>{
             "", "\n\n", "<html><body>Not found</body></html>\n", "# CC-CEDICT\n# no entries\n",
             "plain text [with] /slashes/ here\n", lineNumbers()}) {
        const std::string zip = ZipBuilder().add("cedict_ts.u8", text).bytes();
        EXPECT_EQ(extractDictionary(zip).error, ExtractError::NotADictionary) << text.substr(0, 40);
    }
    // Comment lines before the first entry, LF or CR LF line ends.
    EXPECT_TRUE(
        looksLikeDictionary("# CC-CEDICT\n#! date=2026\n中國 中国 [Zhong1 guo2] /China/\n"));
    EXPECT_TRUE(looksLikeDictionary("A A [A] /(slang) grade A/\r\n"));
    EXPECT_FALSE(looksLikeDictionary("中國 [Zhong1 guo2] /China/\n"));
}

TEST(ExtractDictionary, BombsAndLinksAreRefused) {
    // 400 MiB of zeros in a few hundred kilobytes, its sizes declared honestly
    // or understated: refused either way, long before the limit.
    uint32_t crc = 0;
    const std::string& bomb = zeroBomb(crc);
    EXPECT_LT(bomb.size(), 2'000'000u);
    EXPECT_EQ(extractDictionary(
                  ZipBuilder().addDeflated("cedict_ts.u8", bomb, crc, uint32_t(400) << 20).bytes())
                  .error,
              ExtractError::TooLarge);
    EXPECT_EQ(extractDictionary(ZipBuilder().addDeflated("cedict_ts.u8", bomb, crc, 10'000).bytes())
                  .error,
              ExtractError::TooLarge);
    // A dictionary repeating one line, 8 MiB from a few kilobytes: under the
    // size limit, refused for its ratio alone.
    const std::string line = "中國 中国 [Zhong1 guo2] /China/\n";
    const std::string repeated = makeZeroBomb(line.size() * 250'000, crc, line);
    EXPECT_LT(repeated.size() * kMaxRatio * 2, line.size() * 250'000);
    EXPECT_LT(line.size() * 250'000, kMaxEntryBytes);
    EXPECT_EQ(extractDictionary(
                  ZipBuilder()
                      .addDeflated("cedict_ts.u8", repeated, crc, uint32_t(line.size() * 250'000))
                      .bytes())
                  .error,
              ExtractError::TooLarge);
    // A declared size over the limit is refused before anything is inflated.
    const std::string few = makeZeroBomb(line.size() * 10, crc, line);
    EXPECT_EQ(
        extractDictionary(ZipBuilder().addDeflated("cedict_ts.u8", few, crc, 100u << 20).bytes())
            .error,
        ExtractError::TooLarge);
    // Text that compresses well, but not 50:1, is taken.
    std::string lines;
    for (int i = 0; lines.size() < 3'000'000; ++i)
        lines += "詞" + std::to_string(i * 7919 % 100003) + " 词 [ci2] /word " + std::to_string(i) +
                 "/\n";
    EXPECT_EQ(extractDictionary(ZipBuilder().add("cedict_ts.u8", lines).bytes()).error,
              ExtractError::None);
    // A link named like the dictionary is not followed.
    EXPECT_EQ(extractDictionary(ZipBuilder().addLink("cedict_ts.u8", "/etc/passwd").bytes()).error,
              ExtractError::UnsafeName);
    EXPECT_EQ(extractDictionary(ZipBuilder()
                                    .addLink("cedict_ts.u8", "/etc/passwd")
                                    .add("data/cedict_ts.u8", kLines)
                                    .bytes())
                  .bytes,
              kCrLf);
}

TEST(ExtractDictionary, TheRealDictionaryComesBackWhole) {
    // The dictionary the data build made, as its publisher zips it.
    const auto real = readWholeFile(std::filesystem::path(TULVO_APP_DIR) / "data" / kOutput);
    if (!real) GTEST_SKIP() << "no dictionary built yet (make data)";
    const Extracted got = extractDictionary(ZipBuilder().add("cedict_ts.u8", *real).bytes());
    EXPECT_EQ(got.error, ExtractError::None);
    EXPECT_TRUE(got.bytes == *real);  // already CR LF
}

TEST(ExtractDictionary, HostileNamesAreRefused) {
    for (std::string name : {"../cedict_ts.u8", "/absolute/cedict_ts.u8", "a/../../cedict_ts.u8",
                             "..\\cedict_ts.u8", "C:\\cedict_ts.u8"}) {
        EXPECT_TRUE(escapesDirectory(name)) << name;
        EXPECT_EQ(extractDictionary(ZipBuilder().add(name, kLines).bytes()).error,
                  ExtractError::UnsafeName)
            << name;
    }
    EXPECT_FALSE(escapesDirectory("a/..b/cedict_ts.u8"));
    // A safe entry of the same name is still used.
    const std::string mixed =
        ZipBuilder().add("../cedict_ts.u8", "evil\n").add("cedict_ts.u8", kLines).bytes();
    EXPECT_EQ(extractDictionary(mixed).bytes, kCrLf);
}

TEST(Ploskar, WritesTheDictionaryAndMarkerOnlyOnSuccess) {
    TempDir dir;
    dir.write(kArchive, ZipBuilder().add("cedict_ts.u8", kLines).bytes());
    EXPECT_EQ(runProgramAndWait(TULVO_PLOSKAR, dir.path()), 0);
    EXPECT_EQ(TempDir::read(dir / kOutput), kCrLf);
    EXPECT_TRUE(std::filesystem::exists(dir / kMarker));
}

TEST(Ploskar, FailureLeavesNoMarkerAndKeepsTheOldDictionary) {
    TempDir dir;
    dir.write(kOutput, "old\r\n");
    dir.write(kMarker, "");  // left by an earlier run
    dir.write(kArchive, "<html>error page</html>");
    EXPECT_NE(runProgramAndWait(TULVO_PLOSKAR, dir.path()), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / kMarker));
    EXPECT_EQ(TempDir::read(dir / kOutput), "old\r\n");
    // No archive at all.
    std::filesystem::remove(dir / kArchive);
    EXPECT_NE(runProgramAndWait(TULVO_PLOSKAR, dir.path()), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / kMarker));
}

TEST(Ploskar, BombStopsEarlyAndKeepsTheOldDictionary) {
    TempDir dir;
    dir.write(kOutput, "old\r\n");
    uint32_t crc = 0;
    const std::string& bomb = zeroBomb(crc);
    dir.write(kArchive,
              ZipBuilder().addDeflated("cedict_ts.u8", bomb, crc, uint32_t(400) << 20).bytes());
    EXPECT_NE(runProgramAndWait(TULVO_PLOSKAR, dir.path()), 0);
    EXPECT_EQ(TempDir::read(dir / kOutput), "old\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir / kMarker));
    // The extractor never held the inflated bytes (kilobytes here).
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    EXPECT_LT(usage.ru_maxrss, 100 * 1024);
    // Neither does an empty entry replace the dictionary.
    dir.write(kArchive, ZipBuilder().add("cedict_ts.u8", "").bytes());
    EXPECT_NE(runProgramAndWait(TULVO_PLOSKAR, dir.path()), 0);
    EXPECT_EQ(TempDir::read(dir / kOutput), "old\r\n");
}

TEST(Ploskar, HostileEntryWritesNothingOutsideTheDirectory) {
    TempDir dir;
    std::filesystem::create_directories(dir / "data");
    dir.write("data/" + kArchive, ZipBuilder().add("../cedict_ts.u8", kLines).bytes());
    EXPECT_NE(runProgramAndWait(TULVO_PLOSKAR, dir / "data"), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "cedict_ts.u8"));
    EXPECT_FALSE(std::filesystem::exists(dir / "data" / kOutput));
    EXPECT_FALSE(std::filesystem::exists(dir / "data" / kMarker));
}

}  // namespace
}  // namespace tulvo::ploskar
