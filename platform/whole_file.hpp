// Files read and written whole. A write goes into a temporary file beside the
// target and is renamed over it, so a failed write never leaves half a file.
#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tulvo {

// The temporary file has a unique name, so that writers of one file never
// share it. False with errno set when the file could not be replaced. The
// file keeps the permissions of the file it replaces, or gets 0644 less the
// umask when new; `mode` (e.g. 0600 for a file that may hold secrets) sets
// them outright instead.
bool writeWholeFile(const std::filesystem::path& file, std::string_view bytes,
                    std::optional<unsigned> mode = std::nullopt);

// Why a whole-file read gave nothing.
enum class ReadFailure {
    None,
    Missing,     // no such file
    NotRegular,  // a folder, a pipe, a device: nothing with a size to read
    TooLarge,    // more than the reader's limit
    Unreadable,  // no permission, or a read error
};

// A regular file opened for reading, its status in `status`: the descriptor,
// which the caller closes. -1 for anything else, with the reason in `failure`
// when given; a pipe in the file's place is never waited on.
int openRegularFile(const std::filesystem::path& file, struct stat& status,
                    ReadFailure* failure = nullptr);

// The bytes of a regular file of at most `maxBytes`; empty otherwise, with
// the reason in `failure` when given. The size is checked before anything is
// allocated, and a pipe or a device is never waited on or read from.
std::optional<std::string> readWholeFile(const std::filesystem::path& file,
                                         size_t maxBytes = size_t(1) << 30,
                                         ReadFailure* failure = nullptr);

// A regular file's bytes, read-only, for a reader that looks all over them:
// mapped with all its pages present (in one go, cheaper than a fault for
// each group of pages a search touches), else read whole. Nothing is held
// for a missing file, something that is no regular file, or one over
// `maxBytes`. Data files are replaced by renaming, so a mapping stays valid.
class MappedFile {
  public:
    MappedFile() = default;
    ~MappedFile() { close(); }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Whether the file is held (an empty one too).
    bool open(const std::filesystem::path& file, size_t maxBytes);
    // The same for a regular file of `size` bytes already open for reading
    // at its start (`fd`, which the caller closes).
    bool open(int fd, size_t size);
    void close();
    bool isOpen() const { return open_; }
    std::string_view bytes() const { return bytes_; }

  private:
    std::string_view bytes_;
    bool open_ = false;
    bool mapped_ = false;
    std::string copy_;  // the bytes when the file could not be mapped
};

}  // namespace tulvo
