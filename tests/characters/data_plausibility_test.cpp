// Plausibility of the built character data, run in the program directory:
// tables of what a learner knows about common characters, checked against
// data/freq.dat, chartypes.txt, types.txt and components.dat, and how many
// of the dictionary's characters the character files cover.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "characters/char_types.hpp"
#include "characters/components.hpp"
#include "characters/counterparts.hpp"
#include "characters/freq_file.hpp"
#include "characters/stroke_order.hpp"
#include "dictionary/dictionary_file.hpp"
#include "handwriting/recog_file.hpp"
#include "platform/unicode_text.hpp"

using namespace tulvo::characters;

namespace {

std::string utf8(char16_t code) {
    return tulvo::utf16ToUtf8(std::u16string(1, code));
}

// The readings of the dictionary's one-character entries, by character
// (simplified and traditional headwords alike).
const std::map<char16_t, std::set<std::string>>& dictionaryReadings() {
    static const auto readings = [] {
        std::map<char16_t, std::set<std::string>> out;
        tulvo::dictionary::scanLines(
            tulvo::dictionary::kDictionaryPath, [&](std::string_view line) {
                if (line.empty() || line.front() == '#') return true;
                const std::string reading(tulvo::dictionary::pinyinField(line));
                for (int field : {1, 2}) {
                    const std::u16string word =
                        tulvo::utf8ToUtf16(tulvo::dictionary::spaceField(line, field));
                    if (word.size() == 1) out[word[0]].insert(reading);
                }
                return true;
            });
        return out;
    }();
    return readings;
}

}  // namespace

// Which readings of a polyphonic character carry its frequency value (shown
// coloured, with its HSK level) and which are rare enough to be excluded.
TEST(Plausible, FrequencyBelongsToTheReadingsInUse) {
    struct Polyphone {
        char16_t character;
        std::vector<const char*> listed, unlisted;
    };
    const Polyphone table[] = {
        {u'长', {"chang2", "zhang3"}, {}},
        {u'得', {"de2", "de5", "dei3"}, {}},
        {u'子', {"zi3", "zi5"}, {}},
        {u'地', {"di4", "de5"}, {}},
        {u'为', {"wei2", "wei4"}, {}},
        {u'只', {"zhi1", "zhi3"}, {}},
        {u'调', {"diao4", "tiao2"}, {}},
        {u'当', {"dang1", "dang4"}, {}},
        {u'少', {"shao3", "shao4"}, {}},
        {u'重', {"zhong4", "chong2"}, {}},
        {u'觉', {"jue2", "jiao4"}, {}},
        {u'乐', {"le4", "yue4"}, {}},
        {u'处', {"chu3", "chu4"}, {}},
        {u'行', {"xing2", "hang2"}, {}},
        {u'着', {"zhe5", "zhao2"}, {}},
        {u'要', {"yao4", "yao1"}, {}},
        {u'种', {"zhong3", "zhong4"}, {}},
        {u'干', {"gan1", "gan4"}, {}},
        {u'教', {"jiao1", "jiao4"}, {}},
        {u'空', {"kong1", "kong4"}, {}},
        {u'相', {"xiang1", "xiang4"}, {}},
        {u'应', {"ying1", "ying4"}, {}},
        {u'便', {"bian4", "pian2"}, {}},
        {u'数', {"shu4", "shu3"}, {}},
        {u'假', {"jia3", "jia4"}, {}},
        {u'会', {"hui4"}, {"kuai4"}},
        {u'和', {"he2"}, {"he4"}},
        {u'没', {"mei2"}, {"mo4"}},
        {u'都', {"dou1"}, {"du1"}},
        {u'还', {"hai2"}, {"huan2"}},
        {u'大', {"da4"}, {"dai4"}},
        {u'的', {"de5"}, {"di4", "di2"}},
        {u'了', {"le5"}, {}},
        {u'看', {"kan4"}, {"kan1"}},
        {u'還', {"hai2"}, {"huan2"}},
        {u'會', {"hui4"}, {"kuai4"}},
        {u'長', {"chang2", "zhang3"}, {}},
        {u'樂', {"le4", "yue4"}, {}},
    };
    const FreqFile freq(kFreqPath);
    const auto& readings = dictionaryReadings();
    ASSERT_FALSE(readings.empty());
    for (const Polyphone& p : table) {
        const std::string character = utf8(p.character);
        const auto known = readings.find(p.character);
        ASSERT_NE(known, readings.end()) << character;
        for (const char* reading : p.listed) {
            // Only readings the dictionary has: another reading would not
            // be excluded and would prove nothing.
            EXPECT_TRUE(known->second.count(reading)) << character << " " << reading;
            EXPECT_GE(freq.lookup(std::u16string(1, p.character), reading), 0)
                << character << " " << reading << " is not listed";
        }
        for (const char* reading : p.unlisted) {
            EXPECT_TRUE(known->second.count(reading)) << character << " " << reading;
            EXPECT_EQ(freq.lookup(std::u16string(1, p.character), reading), -1)
                << character << " " << reading << " is listed";
        }
    }
    // Words whose entries differ only in reading share the word's value.
    const int cheap = freq.lookup(u"便宜", "pian2 yi5");
    EXPECT_GE(cheap, 0);
    EXPECT_EQ(freq.lookup(u"便宜", "bian4 yi2"), cheap);
    EXPECT_EQ(hskLevel(cheap), 2);
}

// Radical, stroke count, form type, HSK level and counterpart of common
// characters. An HSK range of -1 is not checked; HSK 0 is "in no HSK list".
TEST(Plausible, CommonCharactersAsALearnerKnowsThem) {
    constexpr int kBoth = kFormBoth, kSimp = kFormSimplifiedOnly, kTrad = kFormTraditionalOnly;
    // Unihan lists some simplified characters among their own traditional
    // variants (热: 热 熱), as they also occur in traditional text with
    // another meaning; their form type is then "both". Not checked.
    constexpr int kOwnVariant = -1;
    struct Fact {
        char16_t character;
        char16_t radical;
        int strokes;
        int form;
        int hskLowest, hskHighest;
        char16_t counterpart;  // the other form, 0 for none
    };
    const Fact table[] = {
        {u'好', u'女', 6, kBoth, 1, 1, 0},           {u'妈', u'女', 6, kSimp, 1, 1, u'媽'},
        {u'媽', u'女', 13, kTrad, 1, 1, u'妈'},      {u'她', u'女', 6, kBoth, 1, 1, 0},
        {u'字', u'子', 6, kBoth, 1, 1, 0},           {u'学', u'子', 8, kSimp, 1, 1, u'學'},
        {u'學', u'子', 16, kTrad, 1, 1, u'学'},      {u'国', u'囗', 8, kSimp, 1, 1, u'國'},
        {u'國', u'囗', 11, kTrad, 1, 1, u'国'},      {u'吃', u'口', 6, kBoth, 1, 1, 0},
        {u'喝', u'口', 12, kBoth, 1, 1, 0},          {u'听', u'口', 7, kOwnVariant, 1, 1, u'聽'},
        {u'说', u'讠', 9, kSimp, 1, 1, u'說'},       {u'說', u'言', 14, kTrad, 1, 1, u'说'},
        {u'语', u'讠', 9, kSimp, 1, 1, u'語'},       {u'话', u'讠', 8, kSimp, 1, 1, u'話'},
        {u'请', u'讠', 10, kSimp, 1, 1, u'請'},      {u'谢', u'讠', 12, kSimp, 1, 1, u'謝'},
        {u'水', u'水', 4, kBoth, 1, 1, 0},           {u'河', u'水', 8, kBoth, -1, -1, 0},
        {u'林', u'木', 8, kBoth, -1, -1, 0},         {u'想', u'心', 13, kBoth, 1, 1, 0},
        {u'爱', u'爪', 10, kSimp, 1, 1, u'愛'},      {u'愛', u'心', 13, kTrad, 1, 1, u'爱'},
        {u'钱', u'钅', 10, kSimp, 1, 1, u'錢'},      {u'錢', u'金', 16, kTrad, 1, 1, u'钱'},
        {u'茶', u'艸', 9, kBoth, 1, 1, 0},           {u'菜', u'艸', 11, kBoth, 1, 1, 0},
        {u'狗', u'犬', 8, kBoth, 1, 1, 0},           {u'鱼', u'鱼', 8, kSimp, 1, 3, u'魚'},
        {u'魚', u'魚', 11, kTrad, 1, 3, u'鱼'},      {u'马', u'马', 3, kSimp, 1, 3, u'馬'},
        {u'馬', u'馬', 10, kTrad, 1, 3, u'马'},      {u'门', u'门', 3, kSimp, 1, 2, u'門'},
        {u'門', u'門', 8, kTrad, 1, 2, u'门'},       {u'车', u'车', 4, kSimp, 1, 1, u'車'},
        {u'車', u'車', 7, kTrad, 1, 1, u'车'},       {u'人', u'人', 2, kBoth, 1, 1, 0},
        {u'你', u'人', 7, kBoth, 1, 1, 0},           {u'们', u'人', 5, kSimp, 1, 1, u'們'},
        {u'們', u'人', 10, kTrad, 1, 1, u'们'},      {u'大', u'大', 3, kBoth, 1, 1, 0},
        {u'天', u'大', 4, kBoth, 1, 1, 0},           {u'小', u'小', 3, kBoth, 1, 1, 0},
        {u'明', u'日', 8, kBoth, 1, 1, 0},           {u'是', u'日', 9, kBoth, 1, 1, 0},
        {u'月', u'月', 4, kBoth, 1, 1, 0},           {u'年', u'干', 6, kBoth, 1, 1, 0},
        {u'中', u'丨', 4, kBoth, 1, 1, 0},           {u'一', u'一', 1, kBoth, 1, 1, 0},
        {u'点', u'火', 9, kOwnVariant, 1, 1, u'點'}, {u'热', u'火', 10, kOwnVariant, 1, 1, u'熱'},
        {u'雨', u'雨', 8, kBoth, 1, 1, 0},           {u'冷', u'冫', 7, kBoth, 1, 1, 0},
        {u'机', u'木', 6, kOwnVariant, 1, 1, u'機'}, {u'会', u'人', 6, kOwnVariant, 1, 1, u'會'},
        {u'東', u'木', 8, kTrad, 1, 1, u'东'},       {u'看', u'目', 9, kBoth, 1, 1, 0},
        {u'睡', u'目', 13, kBoth, 1, 1, 0},          {u'打', u'手', 5, kBoth, 1, 1, 0},
        {u'开', u'廾', 4, kOwnVariant, 1, 1, u'開'}, {u'開', u'門', 12, kTrad, 1, 1, u'开'},
        {u'后', u'口', 6, kBoth, 1, 1, u'後'},       {u'龍', u'龍', 16, kTrad, -1, -1, u'龙'},
        {u'鑫', u'金', 24, kBoth, 0, 0, 0},
    };
    const FreqFile freq(kFreqPath);
    const auto records = componentRecords(kComponentsPath);
    ASSERT_FALSE(records.empty());
    std::map<char16_t, char16_t> radicalOf;
    for (const auto& record : records) radicalOf[record.code] = record.radical;
    const CharTypes types(kCharTypesPath);
    for (const Fact& f : table) {
        const std::string character = utf8(f.character);
        EXPECT_EQ(utf8(radicalOf[f.character]), utf8(f.radical)) << character << " radical";
        EXPECT_EQ(types.strokeCount(f.character), f.strokes) << character << " strokes";
        if (f.form != kOwnVariant) {
            EXPECT_EQ(types.formType(f.character), f.form) << character << " form type";
        }
        if (f.hskLowest >= 0) {
            const int value = freq.lookup(std::u16string(1, f.character), "");
            const int level = value < 0 ? 0 : hskLevel(value);
            EXPECT_GE(level, f.hskLowest) << character << " HSK";
            EXPECT_LE(level, f.hskHighest) << character << " HSK";
        }
        const Counterparts other = counterparts(kTypesPath, f.character);
        const std::u16string both = other.simplified + other.traditional;
        if (f.counterpart)
            EXPECT_NE(both.find(f.counterpart), std::u16string::npos)
                << character << " counterpart";
        else
            EXPECT_EQ(other.count, 0) << character << " has a counterpart";
    }
}

// The component search ("Find characters based on this character"): the
// characters that must and must not be found for a component.
TEST(Plausible, CharactersBuiltOnAComponent) {
    struct Search {
        char16_t component;
        std::u16string must, mustNot;
    };
    const Search table[] = {
        {u'女', u"好妈姐她奶要", u"倣放故"},  // 倣's right part is 攵, not 女
        {u'攵', u"放故教数政敢倣", u"好冬"},  // 冬 is 夂
        {u'子', u"好字学孩孙", u"了"},       {u'口', u"吃喝叫哥品", u"国回"},
        {u'木', u"林森村机休", u"大"},       {u'日', u"明早时晚", u"目"},
        {u'月', u"朋明服", u"用"},           {u'心', u"想忘思念您", u"小"},
        {u'水', u"河海江泳", u"火"},         {u'火', u"灯炒烧热点", u"水"},
        {u'人', u"你他们休从", u"八"},       {u'土', u"地在坐城", u"工"},
        {u'王', u"玩现球理", u"土"},         {u'目', u"看睡眼睛", u"白"},
        {u'门', u"们问间闻", u"們"},         {u'讠', u"说语话请谢", u"說"},
        {u'言', u"說語話請", u"说"},         {u'马', u"妈吗骂骑", u"媽"},
        {u'钅', u"钱银铁", u"錢"},           {u'金', u"錢銀鑫", u"钱"},
        {u'竹', u"笑笔等答第", u"个"},       {u'艹', u"茶菜花草", u"廿"},
        {u'辶', u"这进远还道边", u"界"},     {u'雨', u"雪雷零電", u"电"},
    };
    for (const Search& s : table) {
        const auto built = charactersBuiltOn(kComponentsPath, s.component);
        const std::set<char16_t> found(built.begin(), built.end());
        for (char16_t c : s.must)
            EXPECT_TRUE(found.count(c)) << utf8(c) << " is not found under " << utf8(s.component);
        for (char16_t c : s.mustNot)
            EXPECT_FALSE(found.count(c)) << utf8(c) << " is found under " << utf8(s.component);
    }
}

// Components are characters a learner can read: no stroke symbol anywhere,
// and simple characters made of strokes show none.
TEST(Plausible, NoStrokeSymbolsAsComponents) {
    ASSERT_GT(componentRecords(kComponentsPath).size(), 20000u);
    std::u16string withStrokes;
    for (char16_t stroke = 0x31C0; stroke <= 0x31EF; ++stroke)
        for (char16_t code : charactersBuiltOn(kComponentsPath, stroke))
            withStrokes.push_back(code);
    EXPECT_EQ(tulvo::utf16ToUtf8(withStrokes), "");
    EXPECT_EQ(componentText(kComponentsPath, u'马'), u"马+0");
    EXPECT_EQ(componentText(kComponentsPath, u'女'), u"女+0");
    EXPECT_EQ(componentText(kComponentsPath, u'倣'), u"人+8 亻方攵");
}

// How much of the dictionary the character files cover: the share of the
// distinct characters of its headwords that have a components record, a
// stroke-order record and a recognition template.
TEST(Plausible, CoverageOfTheDictionarysCharacters) {
    std::set<char16_t> characters;
    tulvo::dictionary::scanLines(tulvo::dictionary::kDictionaryPath, [&](std::string_view line) {
        if (line.empty() || line.front() == '#') return true;
        for (int field : {1, 2})
            for (char16_t u : tulvo::utf8ToUtf16(tulvo::dictionary::spaceField(line, field)))
                if ((u >= 0x3400 && u <= 0x4DBF) || (u >= 0x4E00 && u <= 0x9FFF))
                    characters.insert(u);
        return true;
    });
    ASSERT_GT(characters.size(), 10000u);

    std::set<char16_t> components, strokes, templates;
    for (const auto& record : componentRecords(kComponentsPath)) components.insert(record.code);
    const StrokeOrderFile strokeFile(kStrokeOrderPath);
    for (char16_t code : strokeFile.codes()) strokes.insert(code);
    const auto recog = tulvo::handwriting::decodeRecog(
        tulvo::handwriting::readRecogFile(tulvo::handwriting::kRecogPath));
    ASSERT_TRUE(recog);
    for (const auto& t : *recog) templates.insert(t.character);

    auto share = [&](const std::set<char16_t>& covered) {
        const auto n = std::count_if(characters.begin(), characters.end(),
                                     [&](char16_t c) { return covered.count(c) > 0; });
        return 100.0 * double(n) / double(characters.size());
    };
    const double withComponents = share(components), withStrokes = share(strokes),
                 withTemplates = share(templates);
    std::cout << "dictionary characters: " << characters.size() << "; with components "
              << withComponents << " %, stroke order " << withStrokes
              << " %, recognition templates " << withTemplates << " %\n";
    EXPECT_GT(withComponents, 99.5);
    EXPECT_GT(withStrokes, 65.0);
    EXPECT_GT(withTemplates, 65.0);
}
