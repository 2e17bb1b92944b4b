#include "tools/databuild/char_data_builder.hpp"

#include <gtest/gtest.h>

#include "characters/char_types.hpp"
#include "characters/components.hpp"
#include "characters/counterparts.hpp"
#include "characters/freq_file.hpp"
#include "platform/unicode_text.hpp"
#include "tests/support/temp_dir.hpp"

using namespace tulvo::databuild;
namespace ch = tulvo::characters;
using tulvo::testing::TempDir;

namespace {

UnihanData sampleUnihan() {
    UnihanData data;
    addUnihanText(
        "# comment\n"
        "U+4E2D\tkRSUnicode\t2.3\n"
        "U+4E2D\tkTotalStrokes\t4\n"
        "U+4E2D\tkMandarin\tzhōng\n"
        "U+56FD\tkTotalStrokes\t8\n"
        "U+56FD\tkTraditionalVariant\tU+570B\n"
        "U+570B\tkTotalStrokes\t11\n"
        "U+570B\tkSimplifiedVariant\tU+56FD\n"
        "U+540E\tkTraditionalVariant\tU+540E U+5F8C\n"  // 后 is also traditional
        "U+540E\tkSimplifiedVariant\tU+540E\n"
        "U+5F8C\tkSimplifiedVariant\tU+540E\n"
        "U+7E9F\tkRSUnicode\t120'.0\n"
        "U+7684\tkMandarin\tde\n"
        "U+7684\tkTotalStrokes\t8 9\n"
        "U+F900\tkCompatibilityVariant\tU+8C48\n"
        "U+597D\tkRSUnicode\t38.3\r\n"
        "U+597D\tkTotalStrokes\t6\r\n"
        "U+20000\tkTraditionalVariant\tU+4E00\n",
        data);
    return data;
}

}  // namespace

TEST(UnihanBuild, FormTypesStrokesAndCounterparts) {
    const UnihanData data = sampleUnihan();
    EXPECT_EQ(unihanCodes("U+4E7E U+5E72<kMatthews"), (std::vector<char32_t>{0x4E7E, 0x5E72}));
    // clang-format off
    const std::pair<char32_t, ch::FormType> forms[] = {
        {U'中', ch::kFormBoth}, {U'国', ch::kFormSimplifiedOnly}, {U'國', ch::kFormTraditionalOnly},
        {U'后', ch::kFormBoth}, {U'後', ch::kFormTraditionalOnly}, {0xF900, ch::kFormNeither}};
    // clang-format on
    for (const auto& [code, form] : forms)
        EXPECT_EQ(formTypeOf(data, code), form) << uint32_t(code);

    TempDir dir;
    const std::string bytes = charTypesBytes(data);
    ASSERT_EQ(bytes.size(), 49152u);
    const auto chartypes = dir.write("chartypes.txt", bytes);
    const ch::CharTypes read(chartypes);
    EXPECT_EQ(read.strokeCount(U'中'), 4);
    EXPECT_EQ(read.strokeCount(U'的'), 8);  // the first of two counts
    EXPECT_EQ(read.formType(U'國'), ch::kFormTraditionalOnly);
    EXPECT_EQ(read.strokeCount(U'国'), 8);
    EXPECT_EQ(read.byte(U'一'), 0);

    size_t lines = 0;
    const auto types = dir.write("types.txt", typesBytes(data, lines));
    EXPECT_EQ(lines, 4u);  // 国→國, 后→後, 國→国, 後→后; not 后→后 nor U+20000
    EXPECT_EQ(ch::counterparts(types, u'国').traditional, u"國");
    EXPECT_EQ(ch::counterparts(types, u'國').simplified, u"国");
    EXPECT_EQ(ch::counterparts(types, u'后').traditional, u"後");
    EXPECT_EQ(ch::counterparts(types, u'中').count, 0);
}

// The dictionary completes and corrects Unihan's counterparts: pairs it has
// that Unihan lacks (遊→游) are added and make the form traditional only;
// Unihan pairs of characters it has but never writes for each other (只→戠)
// are left out; 么, a simplified form in Unihan, is not made a traditional
// form by the dictionary's 么→幺.
TEST(UnihanBuild, CounterpartsFromTheDictionary) {
    UnihanData data;
    addUnihanText(
        "U+53EA\tkTraditionalVariant\tU+53EA U+6220 U+96BB\n"  // 只: 只 戠 隻
        "U+96BB\tkSimplifiedVariant\tU+53EA\n"
        "U+4E48\tkTraditionalVariant\tU+4E48 U+9EBC\n"  // 么: 么 麼
        "U+6E38\tkTotalStrokes\t12\n",
        data);
    const DictionaryForms forms = parseDictionaryForms(
        "隻 只 [zhi1] /classifier/\n戠 戠 [zhi2] /sword/\n遊 游 [you2] /to roam/\n"
        "遊戲 游戏 [you2 xi4] /game/\n游泳 游泳 [you2 yong3] /swim/\n麼 么 [me5] /suffix/\n"
        "么 幺 [yao1] /youngest/\n幺 幺 [yao1] /one/\n");
    size_t lines = 0;
    CounterpartCounts counts;
    TempDir dir;
    const auto types = dir.write("types.txt", typesBytes(data, lines, &forms, &counts));
    EXPECT_EQ(ch::counterparts(types, u'只').traditional, u"隻");
    EXPECT_EQ(ch::counterparts(types, u'游').traditional, u"遊");
    EXPECT_EQ(ch::counterparts(types, u'遊').simplified, u"游");
    EXPECT_EQ(ch::counterparts(types, u'么').simplified, u"");
    EXPECT_EQ(ch::counterparts(types, u'幺').count, 0);
    // 遊→游, 戲→戏 of 遊戲 游戏, and 麼→么 that Unihan gives one way only.
    EXPECT_EQ(counts.fromDictionary, 3u);
    EXPECT_EQ(counts.dropped, 1u);
    EXPECT_EQ(formTypeOf(data, U'遊', &forms), ch::kFormTraditionalOnly);
    EXPECT_EQ(formTypeOf(data, U'游', &forms), ch::kFormBoth);  // 游泳 in both
    EXPECT_EQ(formTypeOf(data, U'遊'), ch::kFormBoth);          // Unihan alone
}

TEST(ComponentsBuild, RadicalAsCharacterAndComponents) {
    const auto radicals = parseCjkRadicals(
        "# CJKRadicals\n38; 2F25; 5973\n39; 2F26; 5B50\n120; 2F77; 7CF8\n120'; 2EB0; 7E9F\n2; "
        "2F01; 4E28\n");
    EXPECT_EQ(radicals.at("38"), U'女');
    EXPECT_EQ(radicals.at("120'"), U'纟');
    const auto decompositions = parseCjkDecomp(
        "好:a(女,子)\n中:lock(口,丨)\n林:ra(木)\n品:r3tr(口)\n北:rrefl(匕)\n嬲:a(男,女,男)\n纟:ra("
        "纟)\n"
        "10018:d(一,丿)\n10017:a(10018,𠀀)\n奇:d(大,10017)\n"
        "是:d(日,𤴓)\n𤴓:d/t(一,龰)\n继:a(纟,59366)\n59366:sbl(㇗,米)\n回:rs(囗)\n"
        "头:wtl(大,⺀)\n⺀:rd(丶)\n马:str(37650,一)\n37650:lock(㇕,㇉)\n");
    // The radical is left out once (林 keeps one 木), never a part itself;
    // numbered parts, parts above U+FFFF (𤴓) and forms without an ideograph
    // (⺀) are opened down to characters; a stroke symbol inside a part is
    // left out (继), and only single strokes left (马) show none.
    const std::tuple<char32_t, char32_t, std::u16string> parts[] = {
        {U'好', U'女', u"子"},   {U'林', U'木', u"木"},   {U'品', U'口', u"口口"},
        {U'北', U'匕', u"匕"},   {U'嬲', U'女', u"男男"}, {U'纟', U'纟', u""},
        {U'奇', U'大', u"一丿"}, {U'国', U'囗', u""},     {U'是', U'日', u"一龰"},
        {U'继', U'纟', u"米"},   {U'回', U'囗', u"囗"},   {U'头', U'大', u"丶丶"},
        {U'马', U'马', u""}};
    for (const auto& [code, radical, others] : parts)
        EXPECT_EQ(otherComponents(decompositions, code, radical), others) << uint32_t(code);

    UnihanData data = sampleUnihan();
    size_t records = 0;
    std::string error;
    TempDir dir;
    const auto file = dir.write("components.dat",
                                componentsBytes(data, radicals, decompositions, records, &error));
    EXPECT_EQ(records, 3u);  // 中, 好, 纟
    EXPECT_EQ(ch::componentText(file, u'好'), u"女+3 子");
    EXPECT_EQ(ch::componentText(file, u'中'), u"丨+3 口");
    EXPECT_EQ(ch::componentText(file, u'纟'), u"纟+0");
    const auto all = ch::componentRecords(file);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[1].code, u'好');
    EXPECT_EQ(all[1].radical, u'女');
    EXPECT_EQ(all[1].residualStrokes, 3);

    data.radicalStrokes[0x4E00] = "999.1";
    EXPECT_TRUE(componentsBytes(data, radicals, decompositions, records, &error).empty());
    EXPECT_EQ(error, "no radical character for 999.1");
}

TEST(FreqBuild, SourcesParsed) {
    const auto counts = parseCounts("的\t100\t5\n了\t50\n\t7\nbad\tx\n的\t1\n");
    EXPECT_EQ(counts.size(), 2u);
    EXPECT_EQ(counts.at("的"), 101);
    EXPECT_EQ(parseHskLists("let hsk = [\n  [\"的\", \"我们\"],\n  [\"就\"]\n];\nlet x = [\"a\"];"),
              (std::vector<std::vector<std::string>>{{"的", "我们"}, {"就"}}));
    EXPECT_TRUE(parseHskLists("let hsk = [[\"的\"").empty());
    for (const auto& [marked, numbered] :
         {std::pair<std::string, std::string>{"zhōng", "zhong1"}, {"le", "le5"}, {"lǜ", "lu:4"}})
        EXPECT_EQ(numberedReading(marked), numbered) << marked;
    // Frequency classes by rank, at the edges of the first and the last.
    for (const auto& [rank, cls] : {std::pair{1, 0}, {500, 0}, {501, 1}, {100000, 9}})
        EXPECT_EQ(characterClass(rank), cls) << rank;
    for (const auto& [rank, cls] : {std::pair{1000, 0}, {1001, 1}, {50001, 9}})
        EXPECT_EQ(wordClass(rank), cls) << rank;
}

TEST(FreqBuild, ValuesClassesAndReadings) {
    UnihanData unihan = sampleUnihan();
    FreqSources sources;
    sources.unihan = &unihan;
    sources.cedict =
        "# CC-CEDICT\r\n"
        "的 的 [de5] /of/\r\n"
        "的 的 [di4] /target/\r\n"
        "的 的 [di2] /really/\r\n"
        "中國 中国 [Zhong1 guo2] /China/\r\n"
        "我們 我们 [wo3 men5] /we/\r\n"
        "們 们 [men5] /plural/\r\n"
        "中 中 [Zhong1] /China/\r\n"
        "中 中 [zhong1] /within/\r\n"
        "紊亂 紊乱 [wen3 luan4] /disorder/\r\n"
        "鑫 鑫 [xin1] /prosper/\r\n";
    // 们 is far more frequent as a character than as a word.
    sources.bookChars = {{"的", 900}, {"们", 500}, {"中", 400}, {"是", 10}};
    sources.movieChars = {{"的", 90}, {"中", 30}, {"们", 70}};
    sources.bookWords = {{"的", 900}, {"中国", 300}, {"我们", 200}, {"们", 1}};
    sources.movieWords = {{"我们", 50}};
    sources.hsk = {{"的", "我们"}, {"中国"}};
    size_t words = 0;
    TempDir dir;
    const ch::FreqFile freq(dir.write("freq.dat", freqBytes(sources, words)));
    // 们 takes its HSK level from 我们, 們 from its simplified form, 中 from
    // 中国; 是 is beyond the headwords; 紊乱 and 鑫 are in no statistics.
    const int hsk1 = ch::frequencyValue(0, 1), hsk2 = ch::frequencyValue(0, 2);
    // clang-format off
    const std::tuple<std::u16string, const char*, int> values[] = {
        {u"的", "", hsk1}, {u"的", "de5", hsk1}, {u"的", "di4", -1}, {u"们", "men5", hsk1},
        {u"們", "men5", hsk1}, {u"中国", "Zhong1 guo2", hsk2}, {u"中國", "Zhong1 guo2", hsk2},
        {u"中", "zhong1", hsk2}, {u"中", "Zhong1", -1}, {u"是", "", ch::frequencyValue(0, 0)},
        {u"紊乱", "", -1}, {u"鑫", "", -1}};
    // clang-format on
    for (const auto& [word, reading, value] : values)
        EXPECT_EQ(freq.lookup(word, reading), value) << tulvo::utf16ToUtf8(word) << " " << reading;
    EXPECT_EQ(words, 9u);  // 的 们 們 中 是 中国 中國 我们 我們
}

TEST(FreqBuild, ValueBelongsToTheReadingsInCommonUse) {
    UnihanData unihan;
    addUnihanText(
        "U+5F97\tkHanyuPinlu\tde(5096) dé(1496) děi(637)\n"
        "U+4F1A\tkHanyuPinlu\thuì(6866) kuài(9)\n"
        "U+6703\tkHanyuPinlu\thuì(6866) kuài(9)\n"
        "U+957F\tkMandarin\tcháng\n"  // kMandarin alone would list cháng only
        "U+957F\tkHanyuPinlu\tzhǎng(1879) cháng(1179)\n"
        "U+7EFF\tkHanyuPinlu\tlǜ(300) lù(2)\n"
        "U+8FD8\tkHanyuPinlu\thai(9)\n"   // neither counts nor kMandarin list one: all apply
        "U+4E50\tkMandarin\tlè\n"         // no counts: the first kMandarin reading
        "U+4F0D\tkHanyuPinlu\twu(216)\n"  // 伍: counts of no reading of the dictionary's
        "U+4F0D\tkMandarin\twǔ\n"
        "U+5E72\tkHanyuPinlu\tgàn(1464) gān(482)\n"
        "U+4E7E\tkMandarin\tqián gān\n",  // 乾: a form of its own, not only 干's
        unihan);
    EXPECT_EQ(
        readingShares("de(75) dì(20) x(y) dí(5)"),
        (std::vector<std::pair<std::string, double>>{{"de5", 0.75}, {"di4", 0.2}, {"di2", 0.05}}));

    FreqSources sources;
    sources.unihan = &unihan;
    sources.cedict =
        "得 得 [de2] /obtain/\n得 得 [de5] /particle/\n得 得 [dei3] /must/\n得 得 [De2] /surname/\n"
        "會 会 [hui4] /can/\n會 会 [kuai4] /accounting/\n"
        "長 长 [chang2] /long/\n長 长 [zhang3] /grow/\n"
        "綠 绿 [lu:4] /green/\n綠 绿 [lu4] /green (variant)/\n"
        "還 还 [hai2] /still/\n還 还 [huan2] /return/\n"
        "樂 乐 [le4] /happy/\n樂 乐 [yue4] /music/\n"
        "長大 长大 [zhang3 da4] /grow up/\n長大 长大 [chang2 da4] /(rare)/\n"
        "伍 伍 [wu3] /five/\n伍 伍 [Wu3] /surname/\n"
        "乾 干 [gan1] /dry/\n乾 乾 [qian2] /heaven/\n";
    sources.bookChars = {{"得", 90}, {"会", 80}, {"长", 70}, {"绿", 60}, {"还", 50},
                         {"乐", 40}, {"伍", 30}, {"乾", 20}, {"干", 10}};
    sources.bookWords = {{"长大", 50}};
    size_t words = 0;
    TempDir dir;
    const ch::FreqFile freq(dir.write("freq.dat", freqBytes(sources, words)));
    // The neutral tone of the counts (de) is de5 in the dictionary; the
    // surname De2 is not the common word; kuai4 is 9 in 6875, also for the
    // traditional form by its own counts; 乾 has its own value, not 干's. A
    // word's readings share one value.
    const std::tuple<std::u16string, const char*, bool> listed[] = {
        {u"得", "de5", true},    {u"得", "de2", true},         {u"得", "dei3", true},
        {u"得", "De2", false},   {u"会", "hui4", true},        {u"会", "kuai4", false},
        {u"會", "kuai4", false}, {u"长", "chang2", true},      {u"长", "zhang3", true},
        {u"绿", "lu:4", true},   {u"绿", "lu4", false},        {u"还", "hai2", true},
        {u"还", "huan2", true},  {u"乐", "le4", true},         {u"乐", "yue4", false},
        {u"伍", "wu3", true},    {u"伍", "Wu3", false},        {u"乾", "qian2", true},
        {u"乾", "gan1", false},  {u"长大", "zhang3 da4", true}};
    for (const auto& [word, reading, inUse] : listed)
        EXPECT_EQ(freq.lookup(word, reading) >= 0, inUse)
            << tulvo::utf16ToUtf8(word) << " " << reading;
    EXPECT_EQ(freq.lookup(u"长大", "chang2 da4"), freq.lookup(u"长大", "zhang3 da4"));
}

// Traditional forms and characters of both scripts are valued by their own
// use: 髮 takes 发's share of the words written with it, not all of 发; 繫
// its HSK level from 聯繫, not from 关系 (關係); 乾 gan1 and 著 zhu4 are read
// as their words are, where Unihan's counts of 着 and 干 would drop them.
TEST(FreqBuild, TraditionalFormsValuedByTheirOwnUse) {
    UnihanData unihan;
    addUnihanText(
        "U+8457\tkHanyuPinlu\tzhe(10643) zháo(545) zhù(275)\n"  // 着's uses counted for 著
        "U+4E7E\tkMandarin\tqián gān\n"
        "U+53D1\tkHanyuPinlu\tfā(4834) fà(80)\n",
        unihan);
    FreqSources sources;
    sources.unihan = &unihan;
    sources.cedict =
        "發 发 [fa1] /send out/\n髮 发 [fa4] /hair/\n發現 发现 [fa1 xian4] /discover/\n"
        "發展 发展 [fa1 zhan3] /develop/\n理髮 理发 [li3 fa4] /haircut/\n"
        "關係 关系 [guan1 xi4] /relation/\n聯繫 联系 [lian2 xi4] /contact/\n"
        "係 系 [xi4] /to be/\n繫 系 [xi4] /to tie/\n系 系 [xi4] /system/\n"
        "乾 干 [gan1] /dry/\n乾 乾 [qian2] /heaven/\n乾淨 干净 [gan1 jing4] /clean/\n"
        "著 着 [zhe5] /particle/\n著 著 [zhu4] /to write/\n著名 著名 [zhu4 ming2] /famous/\n"
        "看著 看着 [kan4 zhe5] /watching/\n";
    sources.bookChars = {{"发", 1000}, {"系", 500}, {"干", 300}, {"着", 900}, {"著", 50}};
    for (char16_t c = u'\u5000'; c < u'\u5000' + 3000; ++c)  // 3,000 more characters
        sources.bookChars[tulvo::utf16ToUtf8(std::u16string(1, c))] = 900 - (c - 0x5000) * 0.25;
    sources.bookWords = {{"发现", 500}, {"发展", 400}, {"理发", 30}, {"关系", 300},
                         {"联系", 100}, {"干净", 50},  {"著名", 60}, {"看着", 500}};
    sources.hsk = {{"关系"}, {}, {"干净"}, {"联系"}};
    size_t words = 0;
    TempDir dir;
    const ch::FreqFile freq(dir.write("freq.dat", freqBytes(sources, words)));
    const int fa = freq.lookup(u"發", "fa1"), hair = freq.lookup(u"髮", "fa4");
    ASSERT_GE(fa, 0);
    ASSERT_GE(hair, 0);
    EXPECT_GT(ch::frequencyClass(hair), ch::frequencyClass(fa));  // 理髮 is 30 of 930
    EXPECT_GE(freq.lookup(u"发", "fa4"), 0);  // 发 stands for 髮 in 3 % of its words
    EXPECT_EQ(ch::hskLevel(freq.lookup(u"繫", "xi4")), 4);
    EXPECT_EQ(ch::hskLevel(freq.lookup(u"係", "xi4")), 1);
    EXPECT_GE(freq.lookup(u"乾", "gan1"), 0);
    EXPECT_EQ(ch::hskLevel(freq.lookup(u"乾", "gan1")), 3);
    EXPECT_GE(freq.lookup(u"著", "zhu4"), 0);
    EXPECT_GE(freq.lookup(u"著", "zhe5"), 0);
}

TEST(ComponentsBuild, OnlyCharactersAsComponents) {
    UnihanData unihan;
    addUnihanText(
        "U+5023\tkTotalStrokes\t10\nU+5023\tkCangjie\tOYSK\n"   // 倣: 亻方攵
        "U+597D\tkTotalStrokes\t6\nU+597D\tkCangjie\tVND\n"     // 好
        "U+6C5D\tkTotalStrokes\t6\nU+6C5D\tkCangjie\tEV\n"      // 汝
        "U+4E03\tkCangjie\tJU\n"                                // 七 (made up: no V, no K)
        "U+7ACB\tkTotalStrokes\t5\nU+4491\tkTotalStrokes\t6\n"  // 立 and 䒑
        "U+5973\tkTotalStrokes\t3\n",
        unihan);
    const auto equivalents = parseEquivalentIdeographs(
        "# comment\n2E99       ; 6535  # CJK RADICAL RAP\n2E8C..2E8D ; 5C0F  # SMALL ONE..TWO\n");
    EXPECT_EQ(equivalents.size(), 3u);
    EXPECT_EQ(equivalents.at(0x2E8D), U'小');
    const auto decompositions = parseCjkDecomp(
        "37728:a(方,女)\n倣:a(亻,37728)\n好:a(女,子)\n汝:a(氵,女)\n七:a(十,女)\n"
        "37650:lock(㇕,㇉)\n马:str(37650,一)\n女:lock(㇛,丆)\n一:c(㇐)\n"
        "夂:wtl(又,㇒)\n敢:a(コ,耳,⺙)\n立:d/t(亠,䒑)\n尖:d(⺌,大)");
    const ComponentChecks checks{&unihan, equivalents};
    ComponentCorrections counts;
    auto parts = [&](char32_t code, char32_t radical) {
        return otherComponents(decompositions, code, radical, checks, counts);
    };
    // 倣: 女 written for 攵; 汝: a real 女 on the right; 七: a 女 the shape does
    // not hold; 马, 女: strokes, not components; ㇐ is 一 itself; ㇒ is shown as
    // 丿; 敢: katakana left out, ⺙ as 攵; 䒑 has more strokes than 立; ⺌ is
    // the radical 小.
    const std::tuple<char32_t, char32_t, std::u16string> cases[] = {
        {U'倣', U'人', u"亻方攵"}, {U'好', U'女', u"子"},   {U'汝', U'水', u"氵女"},
        {U'七', U'一', u"十"},     {U'马', U'马', u""},     {U'女', U'女', u""},
        {U'一', U'一', u""},       {U'夂', U'夂', u"又丿"}, {U'敢', U'攴', u"耳攵"},
        {U'立', U'立', u"亠"},     {U'尖', U'小', u"大"}};
    for (const auto& [code, radical, others] : cases)
        EXPECT_EQ(parts(code, radical), others) << uint32_t(code);
    EXPECT_EQ(counts.womanForRap, 1u);
    EXPECT_EQ(counts.womanDropped, 1u);
    EXPECT_EQ(counts.largerParts, 1u);
    // Without the checks, today's source text comes through unchanged.
    EXPECT_EQ(otherComponents(decompositions, U'倣', U'人'), u"亻方女");
}
