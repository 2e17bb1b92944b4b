// Typed query text, in any match part and character form, searched in a
// small dictionary: the search shows whole lines of the file, each once.
#include "dictionary/dropdown_history.hpp"
#include "dictionary/pinyin.hpp"
#include "dictionary/search.hpp"
#include "tests/fuzz/fuzz_support.hpp"

#include <algorithm>
#include <set>

using namespace tulvo::dictionary;

namespace {

const char* const kLines[] = {
    "中國 中国 [zhong1 guo2] /China/Middle Kingdom/",
    "中 中 [zhong1] /within/among/in/middle/center/",
    "中 中 [zhong4] /to hit (the mark)/",
    "你好 你好 [ni3 hao3] /hello/hi/",
    "綠 绿 [lu:4] /green/",
    "律師 律师 [lu:4 shi1] /lawyer/",
    "吃飯 吃饭 [chi1 fan4] /to have a meal/",
    "媽 妈 [ma1] /ma/mom/mother/",
    "嗎 吗 [ma5] /(question particle for \"yes-no\" questions)/",
    "% % [pa1] /percent (Tw)/",
    "Ｔ恤 Ｔ恤 [T xu4] /T-shirt/",
};

class Recording : public SearchHost {
  public:
    void clearResults() override { lines.clear(); }
    bool addResult(std::string_view line, int formIndex) override {
        FUZZ_CHECK(formIndex == 1 || formIndex == 2);
        lines.emplace_back(line);
        return lines.size() < 100;
    }
    size_t resultCount() const override { return lines.size(); }
    std::vector<std::string> lines;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    static const auto file = [] {
        std::string text;
        for (const char* line : kLines) text += std::string(line) + "\r\n";
        return tulvo::fuzz::writeFile(tulvo::fuzz::scratch() / "CEDICT_ts.u8", text);
    }();
    static const MarkedVowels vowels;
    SearchSettings settings;
    settings.matchPart = MatchPart(data[0] % 4);
    settings.charForm = CharForm((data[0] >> 2) % 3);
    settings.preferTraditional = data[0] & 0x20;
    // The typed text: UTF-16 units as the search box hands them over.
    std::u16string typed;
    for (size_t i = 1; i + 1 < size; i += 2) typed.push_back(char16_t(data[i] | data[i + 1] << 8));

    Recording host;
    Search search(file, vowels, host);
    search.textSearch(typed, settings);
    std::set<std::string> seen;
    for (const std::string& line : host.lines) {
        if (std::find(std::begin(kLines), std::end(kLines), line) == std::end(kLines))
            std::fprintf(stderr, "shown: [%s]\n", line.c_str());
        FUZZ_CHECK(std::find(std::begin(kLines), std::end(kLines), line) != std::end(kLines));
        FUZZ_CHECK(seen.insert(line).second);
    }
    if (const auto query = prepareTextQuery(typed, settings.matchPart, vowels)) {
        FUZZ_CHECK(query->text.size() <= kMaxQueryUnits);
        FUZZ_CHECK(query->length == int(query->text.size()));
    }
    return 0;
}
