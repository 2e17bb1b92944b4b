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
#include "platform/whole_file.hpp"

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
        {u'國', u'囗', 11, kTrad, 1, 1, u'国'},      {u'吃', u'口', 6, kBoth, 1, 1, u'喫'},
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
        {u'你', u'人', 7, kBoth, 1, 1, u'妳'},       {u'们', u'人', 5, kSimp, 1, 1, u'們'},
        {u'們', u'人', 10, kTrad, 1, 1, u'们'},      {u'大', u'大', 3, kBoth, 1, 1, 0},
        {u'天', u'大', 4, kBoth, 1, 1, 0},           {u'小', u'小', 3, kBoth, 1, 1, 0},
        {u'明', u'日', 8, kBoth, 1, 1, 0},           {u'是', u'日', 9, kBoth, 1, 1, u'昰'},
        {u'月', u'月', 4, kBoth, 1, 1, 0},           {u'年', u'干', 6, kBoth, 1, 1, u'秊'},
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
    // Stroke data and templates of characters the source lacks are composed
    // from their parts.
    EXPECT_GT(withStrokes, 97.0);
    EXPECT_GT(withTemplates, 97.0);
    for (char16_t c : std::u16string(u"齣髏鐸瘍"))
        EXPECT_TRUE(strokes.count(c) && templates.count(c)) << utf8(c) << " has no stroke order";
}

// Traditional forms and characters of both scripts, valued by their own use:
// none takes the whole value of a simplified character that merges several
// (髮 is not 发), HSK levels come through the words written with the form
// (关系 is 關係, so 繫 is not level 1), and readings from the form's own words
// (著 zhu4, 乾 gan1, 发 fa4).
TEST(Plausible, TraditionalFormsValuedByTheirOwnUse) {
    const FreqFile freq(kFreqPath);
    struct Value {
        const char16_t* character;
        const char* reading;
        int fewestClass;  // at least this frequency class
        int hskLowest, hskHighest;
    };
    const Value table[] = {
        {u"髮", "fa4", 1, 0, 6},   {u"發", "fa1", 0, 1, 3},   {u"发", "fa4", 0, 1, 3},
        {u"繫", "xi4", 1, 2, 6},   {u"係", "xi4", 0, 1, 1},   {u"乾", "gan1", 0, 1, 4},
        {u"著", "zhu4", 0, 1, 6},  {u"瞭", "liao3", 1, 0, 6}, {u"剋", "ke4", 2, 0, 6},
        {u"噹", "dang1", 3, 0, 0}, {u"檯", "tai2", 1, 0, 6},  {u"颱", "tai2", 1, 0, 6},
    };
    for (const Value& v : table) {
        const std::string what = tulvo::utf16ToUtf8(v.character) + " " + v.reading;
        const int value = freq.lookup(v.character, v.reading);
        ASSERT_GE(value, 0) << what << " has no value";
        EXPECT_GE(frequencyClass(value), v.fewestClass) << what << " class";
        EXPECT_GE(hskLevel(value), v.hskLowest) << what << " HSK";
        EXPECT_LE(hskLevel(value), v.hskHighest) << what << " HSK";
    }
    // Forms the statistics do not see in use get no value rather than that
    // of their simplified form.
    for (const char16_t* rare : {u"纔", u"衚"}) {
        const int value = freq.lookup(rare, "");
        EXPECT_TRUE(value < 0 || frequencyClass(value) >= 3) << tulvo::utf16ToUtf8(rare);
    }
}

// Counterparts the dictionary writes are in types.txt, in both directions;
// pairs it never writes are not; a form only one script uses has its form
// type.
TEST(Plausible, CounterpartsTheDictionaryWrites) {
    const std::pair<char16_t, char16_t> pairs[] = {
        {u'裏', u'里'}, {u'遊', u'游'}, {u'週', u'周'}, {u'樑', u'梁'}, {u'噁', u'恶'},
        {u'佈', u'布'}, {u'佔', u'占'}, {u'僱', u'雇'}, {u'兇', u'凶'}, {u'裡', u'里'},
        {u'國', u'国'}, {u'乾', u'干'}, {u'著', u'着'}, {u'隻', u'只'}, {u'採', u'采'},
    };
    for (const auto& [traditional, simplified] : pairs) {
        const std::string what = utf8(traditional) + utf8(simplified);
        EXPECT_NE(counterparts(kTypesPath, traditional).simplified.find(simplified),
                  std::u16string::npos)
            << what;
        EXPECT_NE(counterparts(kTypesPath, simplified).traditional.find(traditional),
                  std::u16string::npos)
            << what;
    }
    const std::pair<char16_t, char16_t> never[] = {{u'只', u'戠'}, {u'采', u'埰'}, {u'么', u'幺'}};
    for (const auto& [character, other] : never) {
        const Counterparts found = counterparts(kTypesPath, character);
        EXPECT_EQ((found.simplified + found.traditional).find(other), std::u16string::npos)
            << utf8(character) << "→" << utf8(other);
    }
    const CharTypes types(kCharTypesPath);
    for (char16_t traditional : std::u16string(u"遊週裏復髮發國"))
        EXPECT_EQ(types.formType(traditional), kFormTraditionalOnly) << utf8(traditional);

    // Every one-character entry of the dictionary whose two forms differ
    // has its line, but for a handful that Unihan makes a simplified form
    // (么 幺).
    std::set<std::pair<char16_t, char16_t>> missing;
    tulvo::dictionary::scanLines(tulvo::dictionary::kDictionaryPath, [&](std::string_view line) {
        if (line.empty() || line.front() == '#') return true;
        const auto t = tulvo::utf8ToUtf16(tulvo::dictionary::spaceField(line, 1));
        const auto s = tulvo::utf8ToUtf16(tulvo::dictionary::spaceField(line, 2));
        if (t.size() == 1 && s.size() == 1 && t != s &&
            counterparts(kTypesPath, t[0]).simplified.find(s[0]) == std::u16string::npos)
            missing.emplace(t[0], s[0]);
        return true;
    });
    std::string listed;
    for (const auto& [t, s] : missing) listed += utf8(t) + utf8(s) + " ";
    EXPECT_LE(missing.size(), 10u) << listed;
}

// Every compound among the 3,000 most frequent characters (frequency class
// 0 to 4) shows components beyond its radical, and every part shown is a
// character.
TEST(Plausible, FrequentCompoundsShowTheirComponents) {
    const FreqFile freq(kFreqPath);
    std::string empty;
    size_t frequent = 0;
    for (const auto& record : componentRecords(kComponentsPath)) {
        const int value = freq.lookup(std::u16string(1, record.code), "");
        if (value < 0 || frequencyClass(value) > 4 || record.residualStrokes == 0) continue;
        ++frequent;
        const auto text = componentText(kComponentsPath, record.code);
        if (!text || text->find(u' ') == std::u16string::npos) empty += utf8(record.code);
    }
    EXPECT_GT(frequent, 2500u);
    // Characters written as strokes rather than built of parts.
    const std::u16string strokesOnly = u"万丐世丝乃之乌九也习书买了亏亾今凹匃卫司囙幻母";
    std::string unexpected;
    for (char16_t c : tulvo::utf8ToUtf16(empty))
        if (strokesOnly.find(c) == std::u16string::npos) unexpected += utf8(c);
    EXPECT_EQ(unexpected, "");
    const std::pair<char16_t, std::u16string> shown[] = {
        {u'是', u"日+5 一龰"},
        {u'学', u"子+5 小冖"},
        {u'回', u"囗+3 囗"},
        {u'北', u"匕+3 匕"},
    };
    for (const auto& [character, text] : shown)
        EXPECT_EQ(componentText(kComponentsPath, character), text) << utf8(character);
    // 學 is decomposed like 学: more than its radical.
    const auto learn = componentText(kComponentsPath, u'學');
    ASSERT_TRUE(learn);
    EXPECT_GT(learn->size(), std::u16string(u"子+13 ").size() + 1) << tulvo::utf16ToUtf8(*learn);
}

// The radical's strokes are drawn brown, also in a character that is its
// own radical; how many characters' stroke data disagrees with their stroke
// count (the stroke data follows another glyph standard for some: 藥, 過, 體)
// is printed.
TEST(Plausible, StrokeDataAndRadicalStrokes) {
    const StrokeOrderFile strokeFile(kStrokeOrderPath);
    for (char16_t c : std::u16string(u"女木水口人馬")) {
        const auto strokes = strokeFile.lookup(c);
        ASSERT_TRUE(strokes) << utf8(c);
        EXPECT_TRUE(std::all_of(strokes->begin(), strokes->end(),
                                [](const Stroke& s) { return s.colour != 0; }))
            << utf8(c) << " is not drawn as its radical";
    }
    const auto good = strokeFile.lookup(u'好');
    ASSERT_TRUE(good);
    EXPECT_TRUE((*good)[0].colour && !(*good)[5].colour);

    // data/composed.txt lists the characters whose strokes are composed
    // from their parts; the others are the stroke source's own.
    const auto list = tulvo::readWholeFile(std::filesystem::path("data") / "composed.txt");
    ASSERT_TRUE(list);
    const std::u16string composed = tulvo::utf8ToUtf16(*list);
    const CharTypes types(kCharTypesPath);
    size_t differ[2] = {}, noRadical[2] = {}, count[2] = {};
    for (char16_t code : strokeFile.codes()) {
        const auto strokes = strokeFile.lookup(code);
        if (!strokes) continue;
        const int kind = composed.find(code) != std::u16string::npos;
        const int total = types.strokeCount(code);
        ++count[kind];
        differ[kind] += total > 0 && total != int(strokes->size());
        noRadical[kind] += std::none_of(strokes->begin(), strokes->end(),
                                        [](const Stroke& s) { return s.colour != 0; });
    }
    for (int kind : {0, 1})
        std::cout << count[kind] << (kind ? " composed" : " source")
                  << " characters: " << differ[kind]
                  << " with another number of strokes than their stroke count, " << noRadical[kind]
                  << " without radical strokes\n";
    EXPECT_GT(count[1], 4000u);
    EXPECT_LT(noRadical[0], 400u);  // 556 before the radicals themselves were drawn
}
