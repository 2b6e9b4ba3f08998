// The password worker: one thread of its own that makes and checks the Argon2id hashes of
// account passwords (tens of milliseconds and 64 MiB each, on purpose), so that a burst of
// logins holds up neither the tables nor the database's reads and writes. The jobs wait in
// a small bounded queue; one that finds it full is refused at once and its caller answers
// "busy, try again". What comes after a hash runs on this thread, handed the result.
#pragma once
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

class PasswordWorker {
public:
    explicit PasswordWorker(std::size_t maxWaiting);
    ~PasswordWorker();
    PasswordWorker(const PasswordWorker&) = delete;
    PasswordWorker& operator=(const PasswordWorker&) = delete;

    // The hash of the password (none when the library cannot make it), handed to `then`.
    // False, and nothing done, when the queue is full. The password is wiped after use.
    bool Hash(std::string password, std::function<void(const std::optional<std::string>& hash)> then);
    // Whether the password is the one the hash was made from, handed to `then`.
    bool Verify(std::string hash, std::string password, std::function<void(bool right)> then);
    // Ends the thread once the job at hand is done; the jobs still waiting are dropped.
    void Stop();

private:
    void Run();

    std::size_t maxWaiting_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    std::thread thread_;
};
