#include "tools/databuild/radical_builder.hpp"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "characters/radical_search.hpp"
#include "platform/unicode_text.hpp"

namespace tulvo::databuild {

namespace {

// The common variant forms written beside a radical's ordinary character.
// Only forms that are never another radical's ordinary character, so that a
// cell finds no characters of another radical; 阝 stands in both the cells
// of 邑 (right side) and 阜 (left side), and the single-radical search never
// takes it as a key. Forms below U+4000 (radical supplement forms such as ⺮)
// are shown and count for the multi-radical search only.
const std::map<int, std::u16string>& variantForms() {
    static const std::map<int, std::u16string> forms = {
        {5, u"乚⺄"},   {9, u"亻"},     {18, u"刂⺈"},    {25, u"⺊"},  {26, u"㔾"},
        {27, u"⺁"},    {42, u"⺌⺍"},  {43, u"尣"},      {47, u"川"},  {58, u"彑⺕"},
        {61, u"忄⺗"},  {64, u"扌"},    {66, u"攵⺙"},    {71, u"旡"},  {85, u"氵氺"},
        {86, u"灬"},    {87, u"爫"},    {93, u"牜"},      {94, u"犭"},  {96, u"王"},
        {113, u"礻"},   {118, u"⺮"},   {122, u"罒罓⺳"}, {123, u"⺶"}, {125, u"耂"},
        {129, u"⺺⺻"}, {130, u"⺼"},   {140, u"艹"},     {145, u"衤"}, {146, u"西覀"},
        {157, u"⻊"},   {162, u"⻍⻎"}, {163, u"阝"},     {168, u"镸"}, {170, u"阝"},
        {184, u"飠"},
    };
    return forms;
}

constexpr char16_t kEitherSideMound = 0x961D;  // 阝

}  // namespace

int kangxiStrokeCount(int number) {
    // The first radical number of each stroke count 1..17.
    static const int firsts[] = {1,   7,   30,  61,  95,  118, 147, 167, 176,
                                 185, 195, 201, 205, 209, 211, 212, 214};
    if (number < 1 || number > 214) return 0;
    int strokes = 0;
    for (int first : firsts)
        if (number >= first) ++strokes;
    return strokes;
}

std::vector<std::u16string> radicalCellTexts(const std::map<std::string, char32_t>& radicals,
                                             std::string* error) {
    std::vector<std::u16string> cells;
    std::unordered_map<char16_t, int> owner;
    for (int number = 1; number <= 214; ++number) {
        const std::string key = std::to_string(number);
        const auto ordinary = radicals.find(key);
        if (ordinary == radicals.end() || ordinary->second > 0xFFFF) {
            if (error) *error = "no ordinary character for radical " + key;
            return {};
        }
        std::u16string text(1, char16_t(ordinary->second));
        if (const auto simplified = radicals.find(key + "'");
            simplified != radicals.end() && simplified->second <= 0xFFFF)
            text.push_back(char16_t(simplified->second));
        if (const auto variants = variantForms().find(number); variants != variantForms().end())
            text += variants->second;
        for (char16_t unit : text) {
            if (unit < 0x4000 || unit == kEitherSideMound) continue;
            // A key in two cells would list one radical's characters under another.
            if (const auto [it, added] = owner.emplace(unit, number); !added) {
                if (error)
                    *error =
                        "radicals " + std::to_string(it->second) + " and " + key + " share a form";
                return {};
            }
        }
        cells.push_back(std::move(text));
    }
    return cells;
}

std::vector<std::vector<std::u16string>> radicalLines(const std::vector<std::u16string>& cells) {
    std::vector<std::vector<std::u16string>> lines(17);
    for (size_t i = 0; i < cells.size(); ++i) {
        const int strokes = kangxiStrokeCount(int(i) + 1);
        if (strokes > 0) lines[size_t(strokes - 1)].push_back(cells[i]);
    }
    return lines;
}

namespace {

// Every part in the decomposition tree of `key`, numbered (unencoded) parts
// replaced by their own parts, characters decomposed further.
void collectParts(const Decompositions& decompositions, const std::string& key, int depth,
                  std::unordered_set<std::string>& seen, std::unordered_set<char16_t>& parts) {
    if (depth > 16) return;
    const auto it = decompositions.find(key);
    if (it == decompositions.end()) return;
    for (const std::string& part : it->second) {
        if (!seen.insert(part).second) continue;
        if (part.empty() || !(part[0] >= '0' && part[0] <= '9')) {
            const std::u16string units = utf8ToUtf16(part);
            if (units.size() == 1) parts.insert(units[0]);
        }
        collectParts(decompositions, part, depth + 1, seen, parts);
    }
}

}  // namespace

std::vector<std::vector<char16_t>> multiradixLists(
    const std::vector<std::u16string>& cells, const Decompositions& decompositions,
    const std::vector<characters::ComponentRecord>& records) {
    std::unordered_map<char16_t, std::vector<size_t>> cellsOfUnit;
    for (size_t e = 0; e < cells.size(); ++e)
        for (char16_t unit : cells[e]) {
            auto& list = cellsOfUnit[unit];
            if (std::find(list.begin(), list.end(), e) == list.end()) list.push_back(e);
        }

    // The characters to list, with their filing radicals.
    std::map<char16_t, char16_t> characters;
    for (const auto& record : records)
        if (record.code >= 0x4000) characters[record.code] = record.radical;
    for (const auto& [key, parts] : decompositions) {
        const std::u16string units = utf8ToUtf16(key);
        if (units.size() == 1 && units[0] >= 0x4000 && (units[0] < 0xD800 || units[0] > 0xDFFF))
            characters.emplace(units[0], 0);
    }

    std::vector<std::vector<char16_t>> lists(cells.size());
    std::vector<bool> listed(cells.size());
    for (const auto& [code, radical] : characters) {
        std::unordered_set<char16_t> parts;
        std::unordered_set<std::string> seen;
        collectParts(decompositions, utf16ToUtf8(std::u16string(1, code)), 0, seen, parts);
        parts.insert(code);
        if (radical != 0) parts.insert(radical);
        std::fill(listed.begin(), listed.end(), false);
        for (char16_t part : parts) {
            const auto it = cellsOfUnit.find(part);
            if (it == cellsOfUnit.end()) continue;
            for (size_t e : it->second) {
                if (listed[e]) continue;
                listed[e] = true;
                lists[e].push_back(code);
            }
        }
    }
    return lists;
}

namespace {

// The key of the cell that holds `unit`, or empty.
std::string keyOfCellWith(const characters::RadicalTable& table, char16_t unit) {
    for (size_t row = 0; row < table.rows().size(); ++row)
        for (int column = 1; column < characters::kRadicalColumns; ++column)
            if (table.rows()[row][size_t(column)].find(unit) != std::u16string::npos)
                return characters::radicalCellKey(column, int(row));
    return {};
}

}  // namespace

std::vector<std::string> radicalsFileProblems(const std::filesystem::path& file,
                                              const std::vector<std::u16string>& cells) {
    namespace ch = characters;
    std::vector<std::string> failures;
    const ch::RadicalTable table = ch::readRadicalTable(file);
    if (table.cellList().size() != cells.size())
        failures.push_back("not every radical cell reads back");
    std::vector<std::u16string> labels;
    for (const auto& row : table.rows())
        if (!row[0].empty()) labels.push_back(row[0]);
    if (labels.size() != 17 || labels.back() != u"17")
        failures.push_back("not 17 stroke-count groups");
    for (size_t e = 0; e < cells.size() && e < table.cellList().size(); ++e) {
        const std::string& key = table.cellList()[e];
        const size_t comma = key.find(',');
        const auto* text =
            table.cell(std::stoi(key.substr(0, comma)), std::stoi(key.substr(comma + 1)));
        if (!text || *text != cells[e])
            failures.push_back("cell " + std::to_string(e) + " reads back wrong");
    }
    // 女 (3 strokes) in the group labelled 3; 亻 beside 人, 阝 beside 阜.
    const std::string woman = keyOfCellWith(table, u'女');
    const int womanRow = woman.empty() ? -1 : std::stoi(woman.substr(woman.find(',') + 1));
    int labelRow = womanRow;
    while (labelRow > 0 && table.rows()[size_t(labelRow)][0].empty()) --labelRow;
    if (womanRow < 0 || table.rows()[size_t(labelRow)][0] != u"3")
        failures.push_back("女 is not among the 3-stroke radicals");
    if (keyOfCellWith(table, u'亻') != keyOfCellWith(table, u'人'))
        failures.push_back("亻 is not in the cell of 人");
    const std::string mound = keyOfCellWith(table, u'阜');
    const size_t comma = mound.find(',');
    const auto* moundText = mound.empty() ? nullptr
                                          : table.cell(std::stoi(mound.substr(0, comma)),
                                                       std::stoi(mound.substr(comma + 1)));
    if (!moundText || moundText->find(u'阝') == std::u16string::npos)
        failures.push_back("阝 is not in the cell of 阜");
    return failures;
}

std::vector<std::string> multiradixFileProblems(const std::filesystem::path& file,
                                                const characters::RadicalTable& table,
                                                const std::filesystem::path& chartypes,
                                                const std::vector<std::vector<char16_t>>& lists) {
    namespace ch = characters;
    std::vector<std::string> failures;
    const ch::MultiradixFile multiradix(file);
    if (multiradix.radicalCount() != int(lists.size()))
        failures.push_back("the radical count reads back wrong");
    for (size_t e = 0; e < lists.size(); ++e)
        if (multiradix.list(int(e)) != lists[e]) {
            failures.push_back("list " + std::to_string(e) + " reads back wrong");
            break;
        }
    auto finds = [&](std::vector<std::string> keys, char16_t code) {
        const auto lines = ch::multiRadicalLines(table, multiradix, chartypes, keys);
        const std::string suffix = " " + std::to_string(int(code));
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.size() >= suffix.size() &&
                   line.compare(line.size() - suffix.size(), suffix.size(), suffix) == 0;
        });
    };
    const std::string woman = keyOfCellWith(table, u'女'), child = keyOfCellWith(table, u'子');
    const std::string water = keyOfCellWith(table, u'氵'), wood = keyOfCellWith(table, u'木');
    if (!finds({woman, child}, u'好')) failures.push_back("女 and 子 do not find 好");
    if (finds({woman, wood}, u'好')) failures.push_back("女 and 木 find 好");
    if (!finds({water}, u'河')) failures.push_back("氵 does not find 河");
    if (!finds({wood}, u'想')) failures.push_back("木 does not find 想 (木 inside 相)");
    return failures;
}

}  // namespace tulvo::databuild
