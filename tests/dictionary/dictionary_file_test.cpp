#include "dictionary/dictionary_file.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tests/support/temp_dir.hpp"

using namespace tulvo::dictionary;
using tulvo::testing::TempDir;

namespace {

std::vector<std::string> readAll(const std::filesystem::path& file) {
    std::vector<std::string> lines;
    scanLines(file, [&](std::string_view line) {
        lines.emplace_back(line);
        return true;
    });
    return lines;
}

}  // namespace

TEST(DictionaryFile, SplitsOnlyAtCrLf) {
    TempDir dir;
    const auto file = dir.write("d.u8", "one\r\ntwo\nstill two\rand\r\n\r\nlast");
    EXPECT_EQ(readAll(file), (std::vector<std::string>{"one", "two\nstill two\rand", "", "last"}));
}

TEST(DictionaryFile, LfOnlyFileIsOneLine) {
    TempDir dir;
    const auto file = dir.write("d.u8", "a b [a1] /x/\nc d [c1] /y/\n");
    const auto lines = readAll(file);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "a b [a1] /x/\nc d [c1] /y/\n");
}

TEST(DictionaryFile, LinesLongerThanABlockAndCrLfAcrossBlocks) {
    TempDir dir;
    // Line ends placed around the block boundaries so CR and LF fall into
    // different reads.
    std::string bytes;
    std::vector<std::string> expected;
    for (size_t length : {262143u, 1u, 300000u, 5u, 262142u}) {
        expected.push_back(std::string(length, 'x'));
        bytes += expected.back() + "\r\n";
    }
    const auto file = dir.write("d.u8", bytes);
    EXPECT_EQ(readAll(file), expected);
}

TEST(DictionaryFile, StopsWhenTheCallerSaysSo) {
    TempDir dir;
    const auto file = dir.writeLines("d.u8", {"1", "2", "3"});
    int seen = 0;
    scanLines(file, [&](std::string_view) { return ++seen < 2; });
    EXPECT_EQ(seen, 2);
}

TEST(DictionaryFile, MissingFileIsCreatedEmpty) {
    TempDir dir;
    const auto file = dir / "CEDICT_ts.u8";
    EXPECT_TRUE(readAll(file).empty());
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(std::filesystem::file_size(file), 0u);
    // No folder to create it in: nothing read, no crash.
    EXPECT_FALSE(scanLines(dir / "missing" / "x.u8", [](std::string_view) { return true; }));
}

TEST(EntryFields, CedictLine) {
    const std::string line = "中國 中国 [Zhong1 guo2] /China/Middle Kingdom/";
    EXPECT_EQ(matchFormTraditional(line), "中國");
    EXPECT_EQ(matchFormSimplified(line), "中国");
    EXPECT_EQ(spaceField(line, 1), "中國");
    EXPECT_EQ(spaceField(line, 2), "中国");
    EXPECT_EQ(pinyinField(line), "Zhong1 guo2");
    EXPECT_EQ(definitionText(line), "China/Middle Kingdom/");
    std::vector<std::string> definitions;
    forEachDefinition(definitionText(line), [&](std::string_view d) {
        definitions.emplace_back(d);
        return true;
    });
    EXPECT_EQ(definitions, (std::vector<std::string>{"China", "Middle Kingdom"}));
}

TEST(EntryFields, SimplifiedFormForMatchingHasTheTraditionalByteLength) {
    // 么 and 麼 are both 3 bytes; "AB" is 2 bytes, so its match form is cut.
    const std::string line = "AB 什麼 [shen2 me5] /what/";
    EXPECT_EQ(matchFormSimplified(line), "\xE4\xBB");
    EXPECT_EQ(spaceField(line, 2), "什麼");
    // A simplified field shorter than the traditional one runs on into the pinyin.
    EXPECT_EQ(matchFormSimplified("ABCD X [x1] /y/"), "X [x");
}

TEST(EntryFields, MissingDelimiters) {
    EXPECT_EQ(matchFormTraditional("nospace"), "nospace");
    EXPECT_EQ(matchFormSimplified("nospace"), "nospace");
    EXPECT_EQ(spaceField("nospace", 2), "nospace");
    EXPECT_EQ(pinyinField("a b no brackets /x/"), "a b no brackets /x/");
    EXPECT_EQ(pinyinField("a b [ni3 hao3 /x/"), "ni3 hao3 /x/");
    EXPECT_EQ(definitionText("a b [x1] no slash"), "a b [x1] no slash");
    int count = 0;
    forEachDefinition("no slash at all", [&](std::string_view) { return ++count, true; });
    EXPECT_EQ(count, 0);
    std::vector<std::string> pieces;
    forEachDefinition("a//b", [&](std::string_view d) { return pieces.emplace_back(d), true; });
    EXPECT_EQ(pieces, (std::vector<std::string>{"a", ""}));
}

TEST(DictionaryFile, ContainingHandsOverExactlyTheLinesWithTheNeedle) {
    TempDir dir;
    // Partial matches before a full one in the same line, a needle in the
    // first and in the unterminated last line, capitals, a needle across a
    // line end, a lone LF inside a line.
    const auto file = dir.write("d.u8",
                                "horse first\r\n"
                                "hors hor Horse\r\n"
                                "no match here\r\n"
                                "ends with hor\r\nse starts\r\n"
                                "a\nHORSE after a lone LF\r\n"
                                "# horse in a comment\r\n"
                                "last horse");
    std::vector<std::string> lines;
    scanLinesContaining(file, "horse", [&](std::string_view line) {
        lines.emplace_back(line);
        return true;
    });
    EXPECT_EQ(lines,
              (std::vector<std::string>{"horse first", "hors hor Horse", "a\nHORSE after a lone LF",
                                        "# horse in a comment", "last horse"}));
}

TEST(DictionaryFile, ContainingFindsNeedlesAtEveryOffsetOfLongBlocks) {
    TempDir dir;
    // Needles at every position within sixteen-byte groups and across the
    // read blocks; one line in three has it.
    std::string bytes;
    std::vector<std::string> expected;
    for (int i = 0; i < 30000; ++i) {
        std::string line(static_cast<size_t>(i % 37), 'x');
        if (i % 3 == 0) {
            line.insert(line.size() / 2, "中国");
            expected.push_back(line);
        }
        bytes += line + "\r\n";
    }
    const auto file = dir.write("d.u8", bytes);
    std::vector<std::string> lines;
    scanLinesContaining(file, "中国", [&](std::string_view line) {
        lines.emplace_back(line);
        return true;
    });
    EXPECT_EQ(lines, expected);
}

// The needle search against a plain byte-by-byte one, on texts made of the
// bytes that make it hard: both cases of letters, bytes one 0x20 bit away
// from letters ("@" and "`"), CR LF, and the UTF-8 bytes of Chinese
// characters. Every start position and needles that fall at the very end.
TEST(NeedleFinder, FindsWhatAPlainSearchFinds) {
    const std::string alphabet[] = {"a", "A",    "@",  "`",  "b",    "B",
                                    " ", "\r\n", "中", "国", "\xAD", "\xE4"};
    std::mt19937 random(7);
    std::string hay;
    while (hay.size() < 3000) hay += alphabet[random() % std::size(alphabet)];
    hay += "ab@中";
    const auto plain = [&](std::string_view needle, size_t from) {
        for (size_t i = from; i + needle.size() <= hay.size(); ++i) {
            bool same = true;
            for (size_t k = 0; k < needle.size() && same; ++k) {
                char c = hay[i + k];
                if (c >= 'A' && c <= 'Z') c = char(c + 32);
                same = c == needle[k];
            }
            if (same) return i;
        }
        return hay.size();
    };
    for (std::string needle :
         {"a", "@", "ab", "a`b", "b@", "ab@中", "中", "中国", "国 a", "\r\na", "\xAD\xE4", "zz"}) {
        const NeedleFinder finder(needle);
        for (size_t from = 0; from <= hay.size(); from += 7)
            ASSERT_EQ(finder.find(hay, from), plain(needle, from)) << needle << " from " << from;
    }
    EXPECT_EQ(NeedleFinder("").find(hay, 0), hay.size());
    EXPECT_EQ(NeedleFinder("a").find("", 0), 0u);
}

TEST(DictionaryBytes, FollowsTheFileOnDiskFromOneLoadToTheNext) {
    TempDir dir;
    const auto file = dir.write("d.u8", "one\r\n");
    DictionaryBytes bytes;
    ASSERT_TRUE(bytes.load(file));
    EXPECT_EQ(bytes.bytes(), "one\r\n");

    // Replaced by a file of the same size (a new inode), then grown in place.
    dir.write("new.u8", "two\r\n");
    std::filesystem::rename(dir / "new.u8", file);
    ASSERT_TRUE(bytes.load(file));
    EXPECT_EQ(bytes.bytes(), "two\r\n");
    {
        std::ofstream out(file, std::ios::binary | std::ios::app);
        out << "three\r\n";
    }
    ASSERT_TRUE(bytes.load(file));
    EXPECT_EQ(bytes.bytes(), "two\r\nthree\r\n");

    // Deleted: loading creates it empty. A folder that is missing: no bytes.
    std::filesystem::remove(file);
    ASSERT_TRUE(bytes.load(file));
    EXPECT_EQ(bytes.bytes(), "");
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_FALSE(bytes.load(dir / "missing" / "d.u8"));
    EXPECT_EQ(bytes.bytes(), "");
}

TEST(DictionaryFile, ANeedleAcrossALineEndMatchesNoLine) {
    // A query holding a line break (pasted, or given on the command line)
    // once showed two entries run together as one row.
    TempDir dir;
    const auto file =
        dir.write("d.u8", "中國 中国 /China/\r\n中 中 /middle/\r\nlone\nfeed /x/\r\n");
    const auto containing = [&](std::string_view needle) {
        std::vector<std::string> lines;
        scanLinesContaining(file, needle, [&](std::string_view line) {
            lines.emplace_back(line);
            return true;
        });
        return lines;
    };
    EXPECT_EQ(containing("\n"), (std::vector<std::string>{"lone\nfeed /x/"}));
    EXPECT_TRUE(containing("/\r").empty());
    EXPECT_TRUE(containing("/\r\n中").empty());
    EXPECT_EQ(containing("/\n"), std::vector<std::string>{});
    EXPECT_EQ(containing("middle/"), (std::vector<std::string>{"中 中 /middle/"}));
}

// The lines the field-start search points at, against a plain walk over the
// lines: every line with a "[" followed by a wanted byte, and every line
// without "["; besides them only lines with a lone LF. Texts of short lines
// made of the bytes that decide it (both brackets, CR and LF apart and
// together, wanted and other bytes), so that lines and their ends fall at
// every offset of the sixty-four-byte blocks. A wanted byte from 0x80 on
// (the first of 中) takes the search's other way.
TEST(FieldStartFinder, FindsWhatAPlainWalkFinds) {
    const std::string alphabet[] = {"[", "]", "z", "Z", "a", " ", "1", "\r\n", "\r", "\n", "中"};
    std::mt19937 random(11);
    for (int round = 0; round < 80; ++round) {
        std::array<bool, 256> wanted{};
        for (unsigned char b : {'z', 'Z', ' ', '1'}) wanted[b] = true;
        wanted[0xE4] = round % 2 == 1;
        const FieldStartFinder finder(wanted);
        std::string hay;
        const size_t length = 1 + random() % 2000;
        while (hay.size() < length) hay += alphabet[random() % std::size(alphabet)];
        std::vector<size_t> allowed, required, found;
        size_t start = 0;
        forEachLine(hay, [&](std::string_view line) {
            bool pointed = line.find('[') == std::string_view::npos;
            for (size_t at = line.find('['); at != std::string_view::npos && !pointed;
                 at = line.find('[', at + 1))
                pointed = at + 1 < line.size() && wanted[static_cast<unsigned char>(line[at + 1])];
            // A lone LF may have the line handed over too.
            if (pointed || line.find('\n') != std::string_view::npos) allowed.push_back(start);
            if (pointed) required.push_back(start);
            start += line.size() + 2;
            return true;
        });
        for (size_t from = 0; from < hay.size();) {
            const size_t at = finder.nextLine(hay, from);
            if (at >= hay.size()) break;
            found.push_back(at);
            from = findLineEnd(hay, at) + 2;
        }
        ASSERT_TRUE(std::includes(found.begin(), found.end(), required.begin(), required.end()))
            << "round " << round;
        ASSERT_TRUE(std::includes(allowed.begin(), allowed.end(), found.begin(), found.end()))
            << "round " << round;
    }
}
