// Writes the seed corpus of every fuzz target into corpus/<target>/ under the
// folder given: small valid files made by the project's own writers, so that
// the fuzzers start from the formats' real structure.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "characters/char_types.hpp"
#include "characters/components.hpp"
#include "characters/counterparts.hpp"
#include "characters/freq_file.hpp"
#include "characters/radicals.hpp"
#include "characters/stroke_order.hpp"
#include "favorites/code_pages.hpp"
#include "favorites/favorites_store.hpp"
#include "handwriting/recog_file.hpp"
#include "options/options_file.hpp"
#include "shell/clipboard_save_file.hpp"
#include "tests/support/le_bytes.hpp"
#include "tests/support/zip_builder.hpp"

using namespace tulvo;

namespace {

std::filesystem::path root;

void seed(const std::string& target, const std::string& name, const std::string& bytes) {
    const auto dir = root / target;
    std::filesystem::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary) << bytes;
}

void dataFiles() {
    std::string types;
    for (int i = 0; i < 256; ++i)
        types.push_back(char(encodeCharType(i % 30, characters::FormType(i % 4))));
    seed("char_types", "strokes", types);

    using namespace characters;
    std::string components;
    appendComponentRecord(components, u'好', makeComponentText(u'女', 3, u"子"));
    appendComponentRecord(components, u'妈', makeComponentText(u'女', 3, u"马"));
    appendComponentRecord(components, u'字', makeComponentText(u'子', 3, u"宀"));
    seed("components", "three", components);

    seed("counterparts", "both",
         typesLine(u'国', 1, u'國') + typesLine(u'國', 2, u'国') + typesLine(u'发', 1, u'發') +
             typesLine(u'发', 1, u'髮'));

    FreqFileWriter freq;
    freq.add(u"中", frequencyValue(0, 1));
    freq.add(u"中国", frequencyValue(1, 1));
    freq.add(u"行", frequencyValue(2, 2), {"hang2"});
    freq.add(u"你好吗", frequencyValue(3, 0));
    seed("freq_file", "words", freq.bytes());

    seed("radicals", "two-lines",
         radicalsFileBytes({{u"一", u"丨", u"丶"}, {u"人", u"亻", u"八"}}));
    seed("multiradix", "lists", multiradixBytes({{u'中', u'国'}, {u'口'}, {}}));

    std::string strokes, error;
    Stroke one{kLeftToRight, 1, 0, {{10, 10}, {200, 10}, {200, 20}, {10, 20}}};
    Stroke two{kTowardsBottomLeft, 0, 1, {{120, 30}, {130, 40}, {40, 220}, {30, 210}}};
    Stroke three{kTopToBottom, 0, 0, {{100, 0}, {110, 0}, {110, 255}, {100, 255}}};
    strokeOrderBytes({{u'一', {one}}, {u'十', {one, three}}, {u'人', {two, one}}}, strokes, &error);
    seed("stroke_order", "three", strokes);
}

void recognition() {
    using namespace handwriting;
    std::vector<RecogTemplate> templates = {
        {u'一', kOfferedAlways, 1, {{0, 200}}},
        {u'十', kOfferedAlways, 2, {{0, 200}, {2, 200}}},
        {u'国', kSimplifiedForm, 8, {{2, 100}, {0, 120}, {2, 120}, {0, 60}, {2, 40}, {0, 60}}},
        {u'國', kTraditionalForm, 11, {{2, 100}, {0, 120}, {2, 120}, {0, 60}, {3, 50}}},
    };
    seed("recog_file", "four", encodeRecog(templates));

    // Four bytes a point (x, y as signed 16 bits), x = -32768 lifts the pen.
    const auto points = [](std::vector<std::vector<std::pair<int, int>>> strokes) {
        std::string out;
        const auto put = [&out](int v) {
            out.push_back(char(v & 0xFF));
            out.push_back(char((v >> 8) & 0xFF));
        };
        for (const auto& stroke : strokes) {
            for (const auto& [x, y] : stroke) {
                put(x);
                put(y);
            }
            put(-32768);
            put(0);
        }
        return out;
    };
    seed("recognize_strokes", "cross",
         points({{{20, 100}, {60, 100}, {100, 101}, {180, 100}},
                 {{100, 20}, {100, 80}, {101, 130}, {100, 180}}}));
    seed("recognize_strokes", "off-pad", points({{{-500, -500}, {900, 400}, {30000, -30000}}}));
}

void userFiles() {
    const auto scratch = root / ".favorites-scratch";
    {
        favorites::FavoritesStore store(scratch / "favorites.dat", scratch / "none");
        std::filesystem::create_directories(scratch);
        store.load();
        for (const char16_t* word : {u"中", u"国", u"中国", u"你好", u"图书馆"}) store.add(word);
        std::ifstream in(scratch / "favorites.dat", std::ios::binary);
        seed("favorites_store", "five", std::string(std::istreambuf_iterator<char>(in), {}));
    }
    std::filesystem::remove_all(scratch);

    options::OptionsState state;
    state.track = true;
    state.trackFile = "/home/user/words.txt";
    state.trackEncoding = 936;
    state.popupApplications = "firefox, thunderbird";
    seed("options_file", "tracking", options::optionsText(state));
    seed("options_file", "defaults", options::optionsText(options::OptionsState{}));

    seed("clipboard_file", "two",
         shell::encodeClipboardRecords({{13, tulvo::testing::units(u"中文")}, {1, "text"}}));

    const std::u16string list = u"中国 你好\r\n图书馆, 学生; abc 中华人民共和国国务院总理";
    seed("word_list", "utf8-bom",
         std::string(1, char(0)) + "\xEF\xBB\xBF" + *favorites::encode(list, favorites::kUtf8));
    seed("word_list", "utf16", std::string(1, char(0)) + "\xFF\xFE" + tulvo::testing::units(list));
    seed("word_list", "gbk-detected",
         std::string(1, char(0)) + *favorites::encode(list, favorites::kGbk));
    seed("word_list", "big5-named",
         std::string(1, char(5)) + *favorites::encode(list, favorites::kBig5));
}

void network() {
    const std::string dictionary = "# comment\n中國 中国 [zhong1 guo2] /China/\n";
    seed("zip_archive", "deflated",
         testing::ZipBuilder().add("readme.txt", "x").add("cedict_ts.u8", dictionary).bytes());
    seed("zip_archive", "stored-in-folder",
         testing::ZipBuilder().add("export/CEDICT_TS.U8", dictionary, false).bytes());
    seed("zip_archive", "escaping",
         testing::ZipBuilder().add("../cedict_ts.u8", dictionary).bytes());

    seed("version_page", "page",
         "<html><body><p>The current version of Tulvo: 2.4.1<br>\r\nsee below</p></body></html>");
    seed("http_response", "ok",
         "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nLast-Modified: Mon, 07 Dec 2026 10:00:00 GMT\r\n"
         "Content-Type: text/html\r\n\r\nhello");
    seed("http_response", "chunked",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nX-Folded:  a "
         "\t\r\n\r\n5\r\nhello\r\n0\r\n\r\n");
    seed("http_response", "not-found", "HTTP/1.0 404 Not Found\r\n\r\n");

    std::string frame(24, '\0');
    frame[0] = char(0x07);
    frame[1] = char(0x05);
    const std::string text = tulvo::testing::units(u"中国");
    frame.replace(8, 4, text);
    seed("local_messages", "lookup", frame);
}

void text() {
    seed("dictionary_file", "lines",
         std::string(1, char(2)) + "ch" +
             "中國 中国 [zhong1 guo2] /China/\r\n你好 你好 [ni3 hao3] /hello/\r\nno line end");
    for (const auto& [name, typed, part] :
         std::vector<std::tuple<std::string, std::u16string, int>>{{"chinese", u"中", 0},
                                                                   {"pinyin", u"ni3hao3", 3},
                                                                   {"marked", u"lǜ", 0},
                                                                   {"english", u"green", 2},
                                                                   {"code", u"4e2d", 0},
                                                                   {"wildcard", u"ma?", 3}})
        seed("query", name, std::string(1, char(part)) + tulvo::testing::units(typed));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds CORPUS_FOLDER\n");
        return 2;
    }
    root = argv[1];
    dataFiles();
    recognition();
    userFiles();
    network();
    text();
    return 0;
}
