// One search at a time. A search processes pending events while it reads the
// dictionary so that the window keeps painting; a lookup, a capture, a pick
// or a replay that arrives meanwhile must not start a second search inside
// the first. Such work is handed to this queue, which runs it at once when
// nothing runs, or else after the running work, in order of arrival.
#pragma once

#include <deque>
#include <functional>

namespace tulvo::shell {

class SearchQueue {
  public:
    // Runs `task` now, or queues it behind the running task and those queued
    // before it. Tasks queued from inside a task run after it too.
    void run(std::function<void()> task);
    bool busy() const { return busy_; }
    size_t waiting() const { return waiting_.size(); }

  private:
    bool busy_ = false;
    std::deque<std::function<void()>> waiting_;
};

}  // namespace tulvo::shell
