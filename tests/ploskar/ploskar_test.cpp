#include <gtest/gtest.h>

#include "platform/run_program.hpp"
#include "tests/support/temp_dir.hpp"
#include "tests/support/zip_builder.hpp"
#include "tools/ploskar/zip_extract.hpp"

namespace tulvo::ploskar {
namespace {

using testing::TempDir;
using testing::ZipBuilder;

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
    dir.write(kArchiveName, ZipBuilder().add("cedict_ts.u8", kLines).bytes());
    EXPECT_EQ(runProgramAndWait(TULVO_PLOSKAR, dir.path()), 0);
    EXPECT_EQ(TempDir::read(dir / kOutputName), kCrLf);
    EXPECT_TRUE(std::filesystem::exists(dir / kMarkerName));
}

TEST(Ploskar, FailureLeavesNoMarkerAndKeepsTheOldDictionary) {
    TempDir dir;
    dir.write(kOutputName, "old\r\n");
    dir.write(kMarkerName, "");  // left by an earlier run
    dir.write(kArchiveName, "<html>error page</html>");
    EXPECT_NE(runProgramAndWait(TULVO_PLOSKAR, dir.path()), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / kMarkerName));
    EXPECT_EQ(TempDir::read(dir / kOutputName), "old\r\n");
    // No archive at all.
    std::filesystem::remove(dir / kArchiveName);
    EXPECT_NE(runProgramAndWait(TULVO_PLOSKAR, dir.path()), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / kMarkerName));
}

TEST(Ploskar, HostileEntryWritesNothingOutsideTheDirectory) {
    TempDir dir;
    std::filesystem::create_directories(dir / "data");
    dir.write("data/" + std::string(kArchiveName),
              ZipBuilder().add("../cedict_ts.u8", kLines).bytes());
    EXPECT_NE(runProgramAndWait(TULVO_PLOSKAR, dir / "data"), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "cedict_ts.u8"));
    EXPECT_FALSE(std::filesystem::exists(dir / "data" / kOutputName));
    EXPECT_FALSE(std::filesystem::exists(dir / "data" / kMarkerName));
}

}  // namespace
}  // namespace tulvo::ploskar
