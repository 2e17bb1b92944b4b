// Where the word a learner means lands in the result list, for the words of
// the HSK lists typed the way learners type them, on the real dictionary and
// frequency data (run in the program directory: make bench):
//  - toneless: the word's pinyin without tones or spaces (xuexi), in the
//    first 5 rows;
//  - toned: its pinyin with tone digits, no spaces (xue2xi2), first 3;
//  - characters: a one-character word of HSK levels 1 to 3 by its toned
//    pinyin (shi4), first 3;
//  - English: its first short gloss (to study), first 10.
// The reading of a word is that of its dictionary entry that the frequency
// data lists (common readings before names); its gloss the first definition
// of that entry of at most three words that names no other entry.
//
//   learner_search_bench [--check] [--show] [--all] [--lookup=PROGRAM]
//
// --check exits 1 when a share is below its goal (97, 99, 95, 85 %);
// --check=A,B,C,D against other floors instead (the shares a build must
// keep while a goal is not yet reached);
// --show lists the misses; --all takes every word instead of a fixed sample
// of each set; --lookup runs each query through another build's
// tulvo-lookup (for a before-and-after table) instead of in process.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "characters/freq_file.hpp"
#include "characters/word_values.hpp"
#include "dictionary/dictionary_file.hpp"
#include "dictionary/list_search_host.hpp"
#include "dictionary/pinyin.hpp"
#include "dictionary/result_list.hpp"
#include "dictionary/search.hpp"
#include "platform/unicode_text.hpp"
#include "tools/databuild/char_data_builder.hpp"

extern char** environ;

using namespace tulvo;
using namespace tulvo::dictionary;

namespace {

struct Word {
    std::string form;    // simplified
    int level = 0;       // HSK level
    std::string pinyin;  // the entry's numbered pinyin
    std::string gloss;   // first short definition, or empty
};

struct Set {
    const char* name;
    size_t within;  // the meant word must be in the first `within` rows
    double goal;    // share of the words, percent
    std::vector<std::pair<std::string, std::string>> queries;  // query, meant form
};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The definition as a learner would type it, or empty when it is no short
// gloss: bracketed remarks left out, at most three words, plain ASCII, no
// reference to another entry.
std::string shortGloss(std::string_view definition) {
    // "with; using": the first of the synonyms.
    definition = definition.substr(0, definition.find(';'));
    std::string text;
    int depth = 0;
    for (char c : definition) {
        if (c == ' ' && (text.empty() || text.back() == ' ')) continue;
        if (c == '(') ++depth;
        if (depth == 0) text.push_back(c);
        if (c == ')' && depth > 0) --depth;
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    while (!text.empty() && text.front() == ' ') text.erase(0, 1);
    if (text.empty() || text.size() > 24) return {};
    for (const char* skipped : {"CL:", "variant of", "see ", "surname", "abbr", "used in", "old ",
                                "also ", "classifier", "measure word", "particle", "Taiwan"})
        if (text.starts_with(skipped)) return {};
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80 || c == '[' || c == '|' || c == '"' ||
            (c >= '0' && c <= '9'))
            return {};
    if (std::count(text.begin(), text.end(), ' ') > 2) return {};
    return text;
}

// The HSK words with the reading and gloss of their dictionary entry.
std::vector<Word> hskWords(const std::string& hskPath, const characters::FreqFile& freq) {
    const auto lists = databuild::parseHskLists(readFile(hskPath));
    std::map<std::string, std::vector<std::string>> linesOf;
    const std::string dictionary = readFile(kDictionaryPath.string());
    forEachLine(dictionary, [&](std::string_view line) {
        if (!line.empty() && line.front() != '#')
            linesOf[std::string(spaceField(line, 2))].emplace_back(line);
        return true;
    });
    std::vector<Word> words;
    std::map<std::string, bool> seen;  // a word listed at two levels counts once
    for (size_t level = 0; level < lists.size() && level < 6; ++level) {
        for (const std::string& form : lists[level]) {
            const auto found = linesOf.find(form);
            if (found == linesOf.end() || seen[form]) continue;
            seen[form] = true;
            // Lines of a common reading the frequency data lists first, then
            // any listed line, then the first line.
            const std::string* chosen = nullptr;
            for (int pass = 0; pass < 3 && !chosen; ++pass) {
                for (const std::string& line : found->second) {
                    const std::string_view pinyin = pinyinField(line);
                    const bool common = !pinyin.empty() && !(pinyin[0] >= 'A' && pinyin[0] <= 'Z');
                    const bool listed = freq.lookup(utf8ToUtf16(form), pinyin) >= 0;
                    if ((pass == 0 && common && listed) || (pass == 1 && listed) || pass == 2) {
                        chosen = &line;
                        break;
                    }
                }
            }
            Word word{form, int(level) + 1, std::string(pinyinField(*chosen)), {}};
            forEachDefinition(definitionText(*chosen), [&](std::string_view definition) {
                word.gloss = shortGloss(definition);
                return word.gloss.empty();
            });
            words.push_back(std::move(word));
        }
    }
    return words;
}

// Pinyin as a learner types it: lower case, no spaces, "v" for ü; with or
// without the tone digits (the neutral tone typed as 5).
std::string typed(std::string_view pinyin, bool tones) {
    std::string text;
    for (size_t i = 0; i < pinyin.size(); ++i) {
        const char c = asciiLower(pinyin[i]);
        if (c == ' ' || c == ',' || c == '-' || c == '\'') continue;
        if (c == 'u' && i + 1 < pinyin.size() && pinyin[i + 1] == ':') {
            text.push_back('v');
            ++i;
        } else if (c >= '0' && c <= '9') {
            if (tones) text.push_back(c);
        } else {
            text.push_back(c);
        }
    }
    return text;
}

// Runs tulvo-lookup with the query; returns the shown forms of its rows.
std::vector<std::string> externalRows(const std::string& program, const std::string& query) {
    std::vector<std::string> rows;
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return rows;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const char* argv[] = {program.c_str(), "--", query.c_str(), nullptr};
    pid_t pid;
    const int failed =
        posix_spawnp(&pid, program.c_str(), &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    std::string text;
    char buffer[65536];
    for (ssize_t got; !failed && (got = ::read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, size_t(got));
    ::close(out[0]);
    if (failed) return rows;
    int status = 0;
    ::waitpid(pid, &status, 0);
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find('\n', start);
        const std::string_view line(text.data() + start,
                                    (end == std::string::npos ? text.size() : end) - start);
        rows.emplace_back(line.substr(0, line.find('\t')));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return rows;
}

}  // namespace

int main(int argc, char** argv) {
    bool check = false, show = false, all = false;
    std::string program;
    std::vector<double> floors;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--check") {
            check = true;
        } else if (arg.starts_with("--check=")) {
            check = true;
            std::stringstream list(arg.substr(8));
            for (std::string floor; std::getline(list, floor, ',');)
                floors.push_back(std::strtod(floor.c_str(), nullptr));
            if (floors.size() != 4) {
                std::fprintf(stderr, "learner_search_bench: --check= takes four shares\n");
                return 2;
            }
        } else if (arg == "--show") {
            show = true;
        } else if (arg == "--all") {
            all = true;
        } else if (arg.starts_with("--lookup=")) {
            program = arg.substr(9);
        } else {
            std::fprintf(stderr,
                         "usage: learner_search_bench [--check] [--show] [--all] "
                         "[--lookup=PROGRAM]\n");
            return 2;
        }
    }
    const std::string hskPath = TULVO_HSK_LISTS;
    if (!std::filesystem::exists(kDictionaryPath) || !std::filesystem::exists(hskPath)) {
        std::fprintf(stderr, "run in the program directory after make data: %s or %s is missing\n",
                     kDictionaryPath.string().c_str(), hskPath.c_str());
        return 1;
    }
    const characters::FreqFile freq(characters::kFreqPath);
    const std::vector<Word> words = hskWords(hskPath, freq);

    Set sets[] = {{"toneless pinyin", 5, 97.0, {}},
                  {"toned pinyin", 3, 99.0, {}},
                  {"characters", 3, 95.0, {}},
                  {"English", 10, 85.0, {}}};
    for (const Word& w : words) {
        sets[0].queries.emplace_back(typed(w.pinyin, false), w.form);
        sets[1].queries.emplace_back(typed(w.pinyin, true), w.form);
        if (w.level <= 3 && w.form.size() == 3)
            sets[2].queries.emplace_back(typed(w.pinyin, true), w.form);
        if (!w.gloss.empty()) sets[3].queries.emplace_back(w.gloss, w.form);
    }
    // A fixed sample of each set keeps a run short; the figures move by
    // about a point against the whole lists.
    constexpr size_t kSample = 300;
    for (Set& set : sets) {
        if (all || set.queries.size() <= kSample) continue;
        std::mt19937 random(24);
        std::shuffle(set.queries.begin(), set.queries.end(), random);
        set.queries.resize(kSample);
    }

    const MarkedVowels vowels;
    characters::ReadingUse readingUse;
    readingUse.open(characters::kReadingUsePath);
    const characters::WordValues values(freq, nullptr, &readingUse);
    ResultList list(values);
    ListSearchHost host(list);
    Search search(kDictionaryPath, vowels, host);

    std::printf("| set | words | meant word within | share | goal |\n|---|---|---|---|---|\n");
    bool met = true;
    size_t setIndex = 0;
    for (const Set& set : sets) {
        const double floor = floors.empty() ? set.goal : floors[setIndex];
        ++setIndex;
        size_t hits = 0;
        for (const auto& [query, form] : set.queries) {
            std::vector<std::string> rows;
            if (program.empty()) {
                search.textSearch(utf8ToUtf16(query), SearchSettings{});
                for (size_t i = 0; i < list.size() && i < set.within; ++i)
                    rows.push_back(list.utf8Cells(i, true).character);
            } else {
                rows = externalRows(program, query);
            }
            const auto at = std::find(rows.begin(), rows.end(), form);
            const bool hit = at != rows.end() && size_t(at - rows.begin()) < set.within;
            hits += hit;
            if (show && !hit) {
                std::printf("  miss %-14s %-10s row %s:", query.c_str(), form.c_str(),
                            at == rows.end() ? "-" : std::to_string(at - rows.begin() + 1).c_str());
                for (size_t i = 0; i < rows.size() && i < set.within; ++i)
                    std::printf(" %s", rows[i].c_str());
                std::printf("\n");
            }
        }
        const double share =
            set.queries.empty() ? 0 : 100.0 * double(hits) / double(set.queries.size());
        const bool ok = share >= set.goal;
        met = met && share >= floor;
        std::printf("| %s | %zu | %zu | %.1f %% | %.0f %%%s |\n", set.name, set.queries.size(),
                    set.within, share, set.goal, ok ? "" : " MISSED");
    }
    return check && !met ? 1 : 0;
}
