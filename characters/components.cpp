#include "characters/components.hpp"

#include "platform/whole_file.hpp"

namespace tulvo::characters {

namespace {

// Calls fn(code, text) for each whole record, in file order, until fn returns
// false. A record cut short by the end of the file ends the pass.
template <typename Fn>
void forEachRecord(const std::filesystem::path& file, Fn&& fn) {
    const auto whole = readWholeFile(file);
    if (!whole) return;
    const std::string& bytes = *whole;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t size = bytes.size();
    std::u16string text;
    for (size_t at = 0; size - at >= 3;) {
        const char16_t code = char16_t(p[at] | p[at + 1] << 8);
        const size_t n = p[at + 2];
        at += 3;
        if (size - at < 2 * n) return;
        text.resize(n);
        for (size_t i = 0; i < n; ++i) text[i] = char16_t(p[at + 2 * i] | p[at + 2 * i + 1] << 8);
        at += 2 * n;
        if (!fn(code, std::u16string_view(text))) return;
    }
}

}  // namespace

std::optional<std::u16string> componentText(const std::filesystem::path& file, char16_t code) {
    std::optional<std::u16string> result;
    forEachRecord(file, [&](char16_t recordCode, std::u16string_view text) {
        if (recordCode != code) return true;
        result.emplace(text);
        return false;
    });
    return result;
}

std::vector<char16_t> charactersBuiltOn(const std::filesystem::path& file, char16_t code) {
    std::vector<char16_t> result;
    forEachRecord(file, [&](char16_t recordCode, std::u16string_view text) {
        if (recordCode == code) return true;
        for (char16_t unit : text)
            if (unit == code) result.push_back(recordCode);
        return true;
    });
    return result;
}

std::vector<ComponentRecord> componentRecords(const std::filesystem::path& file) {
    std::vector<ComponentRecord> result;
    forEachRecord(file, [&](char16_t code, std::u16string_view text) {
        ComponentRecord record;
        record.code = code;
        record.length = static_cast<int>(text.size());
        if (!text.empty()) record.radical = text[0];
        // Digits from unit 3 on, up to a space or the end. Any other unit
        // ends the count too, and a count of more than four digits is not a
        // stroke count: both only occur in a damaged file.
        for (size_t i = 2; i < text.size() && i < 6; ++i) {
            if (text[i] < u'0' || text[i] > u'9') break;
            record.residualStrokes = record.residualStrokes * 10 + (text[i] - u'0');
        }
        result.push_back(record);
        return true;
    });
    return result;
}

std::u16string makeComponentText(char16_t radical, int residualStrokes,
                                 std::u16string_view others) {
    std::u16string text;
    text.push_back(radical);
    text.push_back(kComponentSeparator);
    for (char c : std::to_string(residualStrokes < 0 ? 0 : residualStrokes))
        text.push_back(char16_t(c));
    if (!others.empty()) {
        text.push_back(u' ');
        text += others;
    }
    return text;
}

bool appendComponentRecord(std::string& out, char16_t code, std::u16string_view text) {
    if (text.size() > 255) return false;
    out.push_back(char(code & 0xFF));
    out.push_back(char(code >> 8));
    out.push_back(char(text.size()));
    for (char16_t unit : text) {
        out.push_back(char(unit & 0xFF));
        out.push_back(char(unit >> 8));
    }
    return true;
}

}  // namespace tulvo::characters
