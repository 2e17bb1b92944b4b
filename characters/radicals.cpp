#include "characters/radicals.hpp"

#include "platform/little_endian.hpp"
#include "platform/whole_file.hpp"

namespace tulvo::characters {

std::string radicalCellKey(int column, int row) {
    return std::to_string(column) + "," + std::to_string(row);
}

const std::u16string* RadicalTable::cell(int column, int row) const {
    if (row < 0 || column < 0 || column >= kRadicalColumns || size_t(row) >= rows_.size())
        return nullptr;
    return &rows_[size_t(row)][size_t(column)];
}

int RadicalTable::radicalNumber(std::string_view key) const {
    for (size_t i = 0; i < cellList_.size(); ++i)
        if (cellList_[i] == key) return static_cast<int>(i);
    return -1;
}

void RadicalTable::startRow(std::u16string label) {
    rows_.emplace_back(kRadicalColumns);
    rows_.back()[0] = std::move(label);
}

RadicalTable RadicalTable::parse(std::string_view bytes) {
    RadicalTable table;
    table.startRow(u"1");
    int column = 0;  // last filled column of the current row
    int strokes = 1;
    std::u16string text;
    const size_t units = bytes.size() / 2;
    auto unitAt = [&](size_t i) {
        return char16_t(static_cast<unsigned char>(bytes[2 * i]) |
                        static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    };
    size_t i = 0;
    if (units > 0 && unitAt(0) == 0xFEFF) i = 1;
    for (; i < units; ++i) {
        const char16_t unit = unitAt(i);
        if (unit == u'\t') {
            if (column == kRadicalColumns - 1) {
                table.startRow(u"");
                column = 0;
            }
            ++column;
            const int row = static_cast<int>(table.rows_.size()) - 1;
            table.rows_.back()[size_t(column)] = text;
            table.cellList_.push_back(radicalCellKey(column, row));
            text.clear();
        } else if (unit == u'\r') {
            ++i;  // the LF
            text.clear();
            // The last stroke count of any radical ends the table, so that
            // whatever follows it cannot add rows.
            if (strokes >= kLastRadicalStrokeCount) break;
            ++strokes;
            if (column > 0) {
                table.startRow(std::u16string());
                column = 0;
            }
            const std::string label = std::to_string(strokes);
            table.rows_.back()[0] = std::u16string(label.begin(), label.end());
        } else {
            text.push_back(unit);
        }
    }
    return table;
}

RadicalTable readRadicalTable(const std::filesystem::path& file) {
    const auto bytes = readWholeFile(file);
    return RadicalTable::parse(bytes ? std::string_view(*bytes) : std::string_view());
}

namespace {

void appendUnit(std::string& out, char16_t unit) {
    out.push_back(char(unit & 0xFF));
    out.push_back(char(unit >> 8));
}

void appendInt32(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(char((value >> shift) & 0xFF));
}

}  // namespace

std::string radicalsFileBytes(const std::vector<std::vector<std::u16string>>& cellsByStrokeCount) {
    std::string out;
    appendUnit(out, 0xFEFF);
    for (const auto& line : cellsByStrokeCount) {
        for (const std::u16string& cell : line) {
            for (char16_t unit : cell) appendUnit(out, unit);
            appendUnit(out, u'\t');
        }
        appendUnit(out, u'\r');
        appendUnit(out, u'\n');
    }
    return out;
}

MultiradixFile::MultiradixFile(const std::filesystem::path& file) {
    if (auto bytes = readWholeFile(file)) *this = fromBytes(std::move(*bytes));
}

MultiradixFile MultiradixFile::fromBytes(std::string bytes) {
    MultiradixFile file;
    file.bytes_ = std::move(bytes);
    const int32_t count = file.bytes_.size() >= 4 ? file.int32At(0) : 0;
    // The offset table must lie within the file; a count that does not fit
    // is a damaged file, which holds no lists.
    if (count > 0 && 4 + 4 * (uint64_t(count) + 1) <= file.bytes_.size()) file.count_ = count;
    return file;
}

int32_t MultiradixFile::int32At(size_t offset) const {
    return readLe32Signed(bytes_.data() + offset);
}

std::vector<char16_t> MultiradixFile::list(int e) const {
    std::vector<char16_t> codes;
    if (e < 0 || e >= count_) return codes;
    const int32_t start = int32At(4 + 4 * size_t(e));
    const int32_t end = int32At(8 + 4 * size_t(e));
    if (start < 0 || end < start || size_t(end) > bytes_.size()) return codes;
    codes.reserve(size_t(end - start) / 2);
    for (size_t at = size_t(start); at + 2 <= size_t(end); at += 2)
        codes.push_back(char16_t(static_cast<unsigned char>(bytes_[at]) |
                                 static_cast<unsigned char>(bytes_[at + 1]) << 8));
    return codes;
}

std::string multiradixBytes(const std::vector<std::vector<char16_t>>& lists) {
    std::string out;
    appendInt32(out, uint32_t(lists.size()));
    uint32_t offset = uint32_t(4 + 4 * (lists.size() + 1));
    for (const auto& list : lists) {
        appendInt32(out, offset);
        offset += uint32_t(2 * list.size());
    }
    appendInt32(out, offset);
    for (const auto& list : lists)
        for (char16_t code : list) appendUnit(out, code);
    return out;
}

}  // namespace tulvo::characters
