#include "platform/file_times.hpp"

#include <fcntl.h>
#include <sys/stat.h>

namespace tulvo {

std::optional<FileClock::time_point> fileCreationTime(const std::filesystem::path& file) {
    struct statx info {};
    if (::statx(AT_FDCWD, file.c_str(), 0, STATX_BTIME | STATX_MTIME, &info) != 0)
        return std::nullopt;
    const struct statx_timestamp& stamp =
        (info.stx_mask & STATX_BTIME) ? info.stx_btime : info.stx_mtime;
    return FileClock::time_point(std::chrono::duration_cast<FileClock::duration>(
        std::chrono::seconds(stamp.tv_sec) + std::chrono::nanoseconds(stamp.tv_nsec)));
}

}  // namespace tulvo
