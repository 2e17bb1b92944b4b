// A word list in any encoding: every code page decodes it to valid UTF-16,
// the words cut from it are ideograph runs of 1 to 15, and the import puts
// exactly those into the favorites.
#include "favorites/code_pages.hpp"
#include "favorites/favorites_store.hpp"
#include "favorites/list_import.hpp"
#include "platform/whole_file.hpp"
#include "tests/fuzz/fuzz_support.hpp"

using namespace tulvo::favorites;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte picks the encoding the settings name (or none).
    static const int kRequested[] = {-1, kUtf16, kUtf8, kUtf7, kGbk, kBig5, kShiftJis, 1252};
    const int requested = kRequested[data[0] % 8];
    const auto file = tulvo::fuzz::writeInput("list.txt", data + 1, size - 1);
    const auto text = tulvo::readWholeFile(file);
    FUZZ_CHECK(text && text->size() == size - 1);

    for (int codePage : {kUtf16, kUtf8, kUtf7, kGbk, kBig5}) {
        const auto units = decode(*text, codePage);
        FUZZ_CHECK(units && tulvo::fuzz::validUtf16(*units));
    }
    const TextEncoding found = encodingOf(*text, requested);
    FUZZ_CHECK(found.skip <= text->size());
    const auto units = decode(std::string_view(*text).substr(found.skip), found.codePage);
    if (!units) return 0;
    FUZZ_CHECK(tulvo::fuzz::validUtf16(*units));
    const bool singles = data[0] & 8;
    const std::vector<std::u16string> words = splitWords(*units, singles);
    for (const std::u16string& word : words) {
        FUZZ_CHECK(!word.empty() && word.size() <= 15);
        for (char16_t unit : word) FUZZ_CHECK(unit >= 0x4E00 && unit <= 0x9FFF);
    }

    const auto storeFile = tulvo::fuzz::writeFile(tulvo::fuzz::scratch() / "favorites.dat", "");
    FavoritesStore store(storeFile, tulvo::fuzz::scratch() / "no-debug-marker");
    store.load();
    ImportRequest request;
    request.text = *text;
    request.addSingleCharacters = singles;
    request.encoding = requested;
    int used = -2;
    const int added = importList(request, store, nullptr, &used);
    FUZZ_CHECK(used == found.codePage);
    for (const std::u16string& word : words) FUZZ_CHECK(store.test(word) == 1);
    FUZZ_CHECK(added >= 0 && size_t(added) <= words.size());
    return 0;
}
