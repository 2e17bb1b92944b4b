// The template file: what is written reads back, and damaged files give
// fewer candidates, never a fault.
#include <gtest/gtest.h>

#include "handwriting/matcher.hpp"
#include "handwriting/recog_file.hpp"
#include "tests/handwriting/template_fixtures.hpp"
#include "tests/support/temp_dir.hpp"

using namespace tulvo::handwriting;
using namespace tulvo::handwriting::fixtures;

namespace {

TEST(RecogFile, RoundTripAndLayout) {
    const std::vector<RecogTemplate> templates = {tmpl(u'国', 8, {{1, 2}, {3, 4}}, kSimplifiedForm),
                                                  tmpl(u'A', 1, {}),
                                                  tmpl(0xFFFF, 255, {{255, 255}})};
    const auto bytes = bytesOf(templates);
    ASSERT_EQ(bytes.size(), 4 + 9 * 3 + 2 * 3u);
    EXPECT_EQ(bytes[0], 3);
    EXPECT_EQ(bytes[4], 0xFD);  // 国 = U+56FD, little-endian
    EXPECT_EQ(bytes[5], 0x56);
    EXPECT_EQ(bytes[4 + 9 * 2 + 5], 4);  // the third template's segments at offset 4
    EXPECT_EQ(decodeRecog(bytes), templates);
    EXPECT_TRUE(encodeRecog({tmpl(u'x', 1, std::vector<TemplateSegment>(256))}).empty());
}

TEST(RecogFile, DamagedFilesGiveFewerCandidatesNeverAFault) {
    Drawing drawing = horizontalStroke();
    Recognizer recognizer;
    const auto good = bytesOf({tmpl(u'一', 1, {{0, 180}}), tmpl(u'二', 2, {{0, 180}})});

    recognizer.pass(drawing, std::vector<uint8_t>{}, kBothForms);
    EXPECT_EQ(recognizer.candidates().size(), 0);

    tulvo::testing::TempDir dir;
    recognizer.pass(drawing, dir / "missing.dat", kBothForms);
    EXPECT_EQ(recognizer.candidates().size(), 0);
    const auto file = dir.write("recog.dat", std::string(good.begin(), good.end()));
    recognizer.pass(drawing, file, kBothForms);
    EXPECT_EQ(recognizer.candidates().size(), 2);

    // A folder in the file's place reads as no file (its size is not a
    // file size: nothing may be allocated from it).
    std::filesystem::create_directory(dir / "folder.dat");
    EXPECT_TRUE(readRecogFile(dir / "folder.dat").empty());
    recognizer.pass(drawing, dir / "folder.dat", kBothForms);
    EXPECT_EQ(recognizer.candidates().size(), 0);

    // A count far beyond the headers present.
    auto lying = good;
    lying[3] = 0x7F;
    recognizer.pass(drawing, lying, kBothForms);
    EXPECT_EQ(recognizer.candidates().size(), 0);  // the segment area would lie past the end
    EXPECT_FALSE(decodeRecog(lying).has_value());

    // An offset pointing past the end: that template is left out.
    auto pastEnd = good;
    pastEnd[4 + 5 + 3] = 0x10;
    recognizer.pass(drawing, pastEnd, kBothForms);
    ASSERT_EQ(recognizer.candidates().size(), 1);
    EXPECT_EQ(recognizer.candidates().codeAt(0), u'二');
    // Reading the whole file back (the data build's check) refuses it.
    EXPECT_FALSE(decodeRecog(pastEnd).has_value());

    // Every truncation, and random bytes.
    for (size_t size = 0; size < good.size(); ++size) {
        recognizer.pass(drawing, std::span<const uint8_t>(good.data(), size), kBothForms);
        EXPECT_LE(recognizer.candidates().size(), 2);
    }
    std::mt19937 rng(1);
    for (int round = 0; round < 200; ++round) {
        std::vector<uint8_t> junk(rng() % 64);
        for (auto& b : junk) b = uint8_t(rng());
        recognizer.pass(drawing, junk, kBothForms);
        EXPECT_LE(recognizer.candidates().size(), 15);
    }
}

}  // namespace
