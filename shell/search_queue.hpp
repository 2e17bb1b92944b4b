// One search at a time, on a thread of its own, so that the window keeps
// painting and taking input while a search reads the dictionary. A new job
// replaces one that still waits and cancels the one that runs: the running
// job sees that its id is no longer the newest and stops, and whatever it
// still hands over is recognised by its id and thrown away.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace tulvo::shell {

class SearchQueue {
  public:
    // A job is given its own id; it asks `newest` whether it is still wanted.
    using Job = std::function<void(uint64_t id)>;

    SearchQueue();
    // Cancels what runs, waits for it to stop and ends the thread.
    ~SearchQueue();
    SearchQueue(const SearchQueue&) = delete;
    SearchQueue& operator=(const SearchQueue&) = delete;

    // Queues `job` in place of any job still waiting, cancels the running
    // one and returns the new job's id (ids grow from 1).
    uint64_t submit(Job job);
    // True while `id` is the newest job submitted: any thread may ask.
    bool newest(uint64_t id) const { return newest_.load(std::memory_order_acquire) == id; }
    // Jobs that were submitted and have not returned (0, 1 or 2).
    int unfinished() const;

  private:
    void loop();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<std::pair<uint64_t, Job>> waiting_;
    bool running_ = false;
    bool stopping_ = false;
    uint64_t lastId_ = 0;
    std::atomic<uint64_t> newest_{0};
    std::thread thread_;
};

}  // namespace tulvo::shell
