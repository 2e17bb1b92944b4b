#include "shell/search_queue.hpp"

namespace tulvo::shell {

void SearchQueue::run(std::function<void()> task) {
    waiting_.push_back(std::move(task));
    if (busy_) return;
    busy_ = true;
    while (!waiting_.empty()) {
        std::function<void()> next = std::move(waiting_.front());
        waiting_.pop_front();
        next();
    }
    busy_ = false;
}

}  // namespace tulvo::shell
