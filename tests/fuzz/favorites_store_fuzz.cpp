// favorites.dat: a store read from any bytes; when it keeps the block rules,
// adding and removing words keeps them too, and the file on disk always
// holds what the store holds.
#include "favorites/favorites_store.hpp"
#include "platform/little_endian.hpp"
#include "tests/fuzz/fuzz_support.hpp"

#include <iterator>

using namespace tulvo::favorites;

namespace {

int32_t int32At(const std::string& b, size_t at) {
    return tulvo::readLe32Signed(b.data() + at);
}

// Blocks of increasing word length 1..30, each count >= 0 and its words
// sorted by code unit without repeats, filling the buffer exactly.
bool keepsBlockRules(const std::string& b) {
    size_t at = 0;
    int32_t previous = 0;
    while (at < b.size()) {
        if (b.size() - at < 8) return false;
        const int32_t length = int32At(b, at), count = int32At(b, at + 4);
        if (length <= previous || length > kMaxWordLength || count < 0 || count > kMaxWordCount)
            return false;
        const size_t wordBytes = 2 * size_t(length);
        if (size_t(count) * wordBytes > b.size() - at - 8) return false;
        for (int32_t i = 1; i < count; ++i) {
            const size_t before = at + 8 + size_t(i - 1) * wordBytes;
            std::u16string a, c;
            for (size_t u = 0; u < size_t(length); ++u) {
                a.push_back(
                    char16_t(uint8_t(b[before + 2 * u]) | uint8_t(b[before + 2 * u + 1]) << 8));
                c.push_back(char16_t(uint8_t(b[before + wordBytes + 2 * u]) |
                                     uint8_t(b[before + wordBytes + 2 * u + 1]) << 8));
            }
            if (!(a < c)) return false;
        }
        at += 8 + size_t(count) * wordBytes;
        previous = length;
    }
    return true;
}

std::string onDisk(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto file = tulvo::fuzz::writeInput("favorites.dat", data, size);
    FavoritesStore store(file, tulvo::fuzz::scratch() / "no-debug-marker");
    store.load();
    const bool wellFormed = keepsBlockRules(store.buffer());
    // Words of lengths that exist in the store and ones that do not, and one
    // the input itself names.
    std::u16string own;
    for (size_t i = 0; i + 1 < size && own.size() < 3; i += 2)
        own.push_back(char16_t(data[i] | data[i + 1] << 8));
    for (std::u16string_view word :
         {std::u16string_view(u"中"), std::u16string_view(u"中国"),
          std::u16string_view(u"\xFFFF\xFFFF\xFFFF\xFFFF"), std::u16string_view(own)}) {
        if (word.empty()) continue;
        const int before = store.test(word);
        store.add(word);
        if (wellFormed) {
            FUZZ_CHECK(store.test(word) == 1);
            FUZZ_CHECK(keepsBlockRules(store.buffer()));
        }
        FUZZ_CHECK(onDisk(file) == store.buffer());
        store.remove(word);
        if (wellFormed) {
            FUZZ_CHECK(store.test(word) == 0);
            FUZZ_CHECK(keepsBlockRules(store.buffer()));
        }
        FUZZ_CHECK(onDisk(file) == store.buffer());
        // What was written reads back as the same store.
        FavoritesStore again(file, tulvo::fuzz::scratch() / "no-debug-marker");
        again.load(false);
        FUZZ_CHECK(again.buffer() == onDisk(file));
        if (before == 1) store.add(word);
    }
    return 0;
}
