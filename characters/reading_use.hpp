// data/readinguse.txt: how often single characters are used as words of their
// own in each of their readings, per ten million words of spoken Chinese
// (film subtitles).
// One "character TAB numbered reading TAB count" line each, sorted by their
// bytes; the data build writes them so.
// It puts 是 before 师 for "shi", 试 before 视 for "shi4", and the common
// reading of a character before its rare one.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/whole_file.hpp"

namespace tulvo::characters {

inline const std::filesystem::path kReadingUsePath =
    std::filesystem::path("data") / "readinguse.txt";

class ReadingUse {
  public:
    // Opens the file. A missing or unreadable file counts nothing, and so
    // does a line that does not parse. Returns whether it was read.
    bool open(const std::filesystem::path& path);
    // The count of `character` (UTF-8) in `reading` (the dictionary's
    // numbered pinyin, compared byte for byte: a surname reading "Shi4" is
    // not the word "shi4"); 0 when not counted.
    int count(std::string_view character, std::string_view reading) const;

    // The highest count kept: the sort key holds counts in five digits.
    static constexpr int kMaxCount = 99999;

  private:
    // Opened at every start of the command-line lookup, so nothing is read
    // or parsed ahead: a search touches a few pages, and a count is found by
    // halving the sorted lines. A file out of order gives wrong counts,
    // never a fault.
    MappedFile file_;
};

}  // namespace tulvo::characters
