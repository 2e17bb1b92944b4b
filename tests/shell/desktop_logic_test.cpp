#include <gtest/gtest.h>

#include "shell/clipboard_save_file.hpp"
#include "shell/popup_messages.hpp"
#include "shell/voice_choice.hpp"
#include "tests/support/temp_dir.hpp"

namespace tulvo::shell {
namespace {

using testing::TempDir;

TEST(ClipboardSaveFile, RecordsInOrderLittleEndianWithoutHeader) {
    const std::vector<ClipboardRecord> records = {{13, std::string("a\0b", 3)},
                                                  {0xC0DE0001, "xyz"}};
    const std::string bytes = encodeClipboardRecords(records);
    EXPECT_EQ(bytes, std::string("\x0d\0\0\0\x03\0\0\0"
                                 "a\0b"
                                 "\x01\0\xde\xc0\x03\0\0\0"
                                 "xyz",
                                 22));
    EXPECT_EQ(decodeClipboardRecords(bytes), records);
}

TEST(ClipboardSaveFile, EmptyAndOversizedFormatsAreNotSaved) {
    const std::vector<ClipboardRecord> records = {{1, ""},
                                                  {2, std::string(kClipboardFormatLimit, 'b')},
                                                  {3, std::string(kClipboardFormatLimit - 1, 'c')}};
    const auto back = decodeClipboardRecords(encodeClipboardRecords(records));
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].format, 3u);
    EXPECT_EQ(back[0].data.size(), kClipboardFormatLimit - 1);
}

TEST(ClipboardSaveFile, TruncatedFileKeepsTheWholeRecordsOnly) {
    const std::string bytes = encodeClipboardRecords({{1, "one"}, {2, "two"}});
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        const auto got = decodeClipboardRecords(std::string_view(bytes).substr(0, cut));
        EXPECT_EQ(got.size(), cut < 11 ? 0u : 1u) << cut;
    }
    // A size field far beyond the file is not trusted.
    EXPECT_TRUE(decodeClipboardRecords(std::string("\1\0\0\0\xff\xff\xff\xff"
                                                   "abc",
                                                   11))
                    .empty());
}

TEST(ClipboardSaveFile, FileRoundTripAndMissingFile) {
    TempDir dir;
    EXPECT_FALSE(readClipboardFile(dir / kClipboardSaveFile).has_value());
    ASSERT_TRUE(writeClipboardFile(dir / kClipboardSaveFile, {{7, "text"}}));
    EXPECT_EQ(*readClipboardFile(dir / kClipboardSaveFile),
              (std::vector<ClipboardRecord>{{7, "text"}}));
    ASSERT_TRUE(writeClipboardFile(dir / kClipboardSaveFile, {}));
    EXPECT_TRUE(readClipboardFile(dir / kClipboardSaveFile)->empty());
}

TEST(LookupText, UpToFourUnitsEndedByZero) {
    EXPECT_EQ(lookupText(0x4F60, 0), u"你");
    EXPECT_EQ(lookupText(0x597D4F60, 0), u"你好");
    EXPECT_EQ(lookupText(0x597D4F60, 0x5417), u"你好吗");
    EXPECT_EQ(lookupText(0x597D4F60, 0x5462'5417), u"你好吗呢");
    EXPECT_EQ(lookupText(0, 0x5417), u"");
    // A zero unit ends the text even with units after it.
    EXPECT_EQ(lookupText(0x4F600000, 0x5417), u"");
    EXPECT_EQ(lookupText(0x00004F60, 0x5417), u"你");
    // Only the low 4 bytes of each parameter are the message's.
    EXPECT_EQ(lookupText(int64_t(0x12345678) << 32 | 0x597D4F60, -1), u"你好\uFFFF\uFFFF");
}

TEST(VoiceChoice, FirstVoiceNotFromMicrosoftElseTheLast) {
    EXPECT_EQ(chooseVoice({}), 0u);
    EXPECT_EQ(chooseVoice({"Microsoft Huihui"}), 0u);
    EXPECT_EQ(chooseVoice({"Microsoft Huihui", "Mandarin (espeak-ng)"}), 1u);
    EXPECT_EQ(chooseVoice({"MICROSOFT Lili", "microsoft Kangkang", "Yaoyao by MicroSoft"}), 2u);
    EXPECT_EQ(chooseVoice({"Ting-Ting", "Microsoft Huihui"}), 0u);
    EXPECT_EQ(chooseVoice({"Microsoft A", "Other", "Third"}), 1u);
}

TEST(VoiceChoice, ChineseChinaVoicesByLocaleOrByNameWhenTheLocaleIsUnknown) {
    EXPECT_TRUE(isChineseChinaVoice("zh_CN", "Huihui"));
    EXPECT_TRUE(isChineseChinaVoice("C", "Chinese (Mandarin, latin as English)+Annie"));
    EXPECT_FALSE(isChineseChinaVoice("zh_TW", "Chinese (Mandarin)"));
    EXPECT_FALSE(isChineseChinaVoice("C", "Chinese (Cantonese)"));
    EXPECT_FALSE(isChineseChinaVoice("en_US", "Mandarin"));
}

TEST(SpeechText, CodePage936RoundTrip) {
    EXPECT_EQ(speechText(u"你好"), u"你好");
    EXPECT_EQ(speechText(u"abc 中文"), u"abc 中文");
    // Characters outside the code page are spoken as question marks.
    EXPECT_EQ(speechText(u"\u0E01"), u"?");
    EXPECT_EQ(speechText(u"好\u0E01好"), u"好?好");
    EXPECT_EQ(speechText(u"\U00020000字"), u"?字");
    // A word is kept to 100 bytes, cut between characters.
    const std::u16string long_(60, u'中');
    EXPECT_EQ(speechText(long_), std::u16string(50, u'中'));
    EXPECT_EQ(speechText(u"a" + long_), u"a" + std::u16string(49, u'中'));
}

}  // namespace
}  // namespace tulvo::shell
