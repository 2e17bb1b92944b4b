// A full disk as the writing process meets it: while an object lives, no file
// of this process may grow beyond `bytes` (RLIMIT_FSIZE). A write past the
// limit fails with EFBIG (the signal it would raise is ignored meanwhile).
#pragma once

#include <sys/resource.h>

#include <csignal>

namespace tulvo::testing {

class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit old_{};
    void (*previous_)(int) = nullptr;
};

}  // namespace tulvo::testing
