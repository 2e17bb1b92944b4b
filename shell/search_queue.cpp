#include "shell/search_queue.hpp"

namespace tulvo::shell {

SearchQueue::SearchQueue() : thread_([this] { loop(); }) {}

SearchQueue::~SearchQueue() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        waiting_.reset();
        newest_.store(0, std::memory_order_release);
    }
    wake_.notify_all();
    thread_.join();
}

uint64_t SearchQueue::submit(Job job) {
    uint64_t id = 0;
    {
        std::lock_guard lock(mutex_);
        id = ++lastId_;
        waiting_.emplace(id, std::move(job));
        newest_.store(id, std::memory_order_release);
    }
    wake_.notify_all();
    return id;
}

int SearchQueue::unfinished() const {
    std::lock_guard lock(mutex_);
    return (running_ ? 1 : 0) + (waiting_ ? 1 : 0);
}

void SearchQueue::loop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || waiting_.has_value(); });
        if (stopping_) return;
        auto [id, job] = std::move(*waiting_);
        waiting_.reset();
        running_ = true;
        lock.unlock();
        job(id);
        job = nullptr;  // what the job holds goes on this thread, outside the lock
        lock.lock();
        running_ = false;
    }
}

}  // namespace tulvo::shell
