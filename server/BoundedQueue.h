// The queue in front of a worker thread: the io side adds jobs, the worker takes them, and
// a job that finds `limit` jobs waiting is refused at once rather than making the queue
// grow without bound.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <type_traits>

namespace Workers {

// Queues `job` and wakes the worker, unless `limit` jobs wait already; false then.
template <typename Job>
bool Queue(std::mutex& m, std::condition_variable& cv, std::deque<Job>& jobs, std::size_t limit,
           std::type_identity_t<Job> job) {
    {
        std::lock_guard<std::mutex> lock(m);
        if (jobs.size() >= limit) return false;
        jobs.push_back(std::move(job));
    }
    cv.notify_one();
    return true;
}

}  // namespace Workers
