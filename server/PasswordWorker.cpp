#include "server/PasswordWorker.h"

#include <sodium.h>

#include "server/BoundedQueue.h"
#include "server/Passwords.h"

namespace {

void Wipe(std::string& secret) { sodium_memzero(secret.data(), secret.size()); }

}  // namespace

PasswordWorker::PasswordWorker(std::size_t maxWaiting) : maxWaiting_(maxWaiting), thread_([this] { Run(); }) {}

PasswordWorker::~PasswordWorker() { Stop(); }

bool PasswordWorker::Hash(std::string password, std::function<void(const std::optional<std::string>&)> then) {
    return Workers::Queue(mutex_, wake_, jobs_, maxWaiting_,
                          [password = std::move(password), then = std::move(then)]() mutable {
                              const auto hash = Passwords::Hash(password);
                              Wipe(password);
                              then(hash);
                          });
}

bool PasswordWorker::Verify(std::string hash, std::string password, std::function<void(bool)> then) {
    return Workers::Queue(mutex_, wake_, jobs_, maxWaiting_,
                          [hash = std::move(hash), password = std::move(password), then = std::move(then)]() mutable {
                              const bool right = Passwords::Verify(hash, password);
                              Wipe(password);
                              then(right);
                          });
}

void PasswordWorker::Stop() {
    if (!thread_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
    jobs_.clear();
}

void PasswordWorker::Run() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (stopping_) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        job();
    }
}
