#include "characters/char_types.hpp"

#include "platform/whole_file.hpp"

namespace tulvo::characters {

CharTypes::CharTypes(const std::filesystem::path& file) {
    // A real file is kCharTypesSize bytes; a longer one is read only so far.
    if (auto whole = readWholeFile(file, size_t(1) << 20)) bytes_ = std::move(*whole);
}

int CharTypes::byte(uint32_t code) const {
    if (code < kCharTypesFirst || code > 0xFFFF) return -1;
    const size_t at = code - kCharTypesFirst;
    return at < bytes_.size() ? static_cast<unsigned char>(bytes_[at]) : -1;
}

}  // namespace tulvo::characters
