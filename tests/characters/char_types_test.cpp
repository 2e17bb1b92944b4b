#include "characters/char_types.hpp"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.hpp"

using namespace tulvo::characters;
using tulvo::testing::TempDir;

TEST(CharTypes, StrokeCountAndFormTypeFromOneByte) {
    TempDir dir;
    std::string bytes(kCharTypesSize, '\0');
    bytes[0x4E2D - 0x4000] = char(4);              // 中: 4 strokes, both
    bytes[0x56FD - 0x4000] = char((1 << 6) | 8);   // 国: 8 strokes, simplified only
    bytes[0x570B - 0x4000] = char((2 << 6) | 11);  // 國: 11 strokes, traditional only
    bytes[0xFFFF - 0x4000] = char(0xC5);
    const CharTypes types(dir.write("chartypes.txt", bytes));
    EXPECT_EQ(types.strokeCount(0x4E2D), 4);
    EXPECT_EQ(types.formType(0x4E2D), kFormBoth);
    EXPECT_EQ(types.formType(0x56FD), kFormSimplifiedOnly);
    EXPECT_EQ(types.strokeCount(0x570B), 11);
    EXPECT_EQ(types.formType(0x570B), kFormTraditionalOnly);
    EXPECT_EQ(types.strokeCount(0xFFFF), 5);
    EXPECT_EQ(types.formType(0xFFFF), kFormNeither);
}

TEST(CharTypes, OutsideTheRangeOrTheFileIsMinusOne) {
    TempDir dir;
    const CharTypes types(dir.write("chartypes.txt", std::string(0x10, char(0x41))));
    EXPECT_EQ(types.formType(0x3FFF), -1);
    EXPECT_EQ(types.strokeCount(0x10000), -1);
    EXPECT_EQ(types.strokeCount(0x400F), 1);
    EXPECT_EQ(types.strokeCount(0x4010), -1);  // beyond a short file's end
    EXPECT_EQ(CharTypes(dir / "missing.txt").formType(0x4E2D), -1);
}
