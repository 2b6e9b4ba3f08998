#include "net/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <thread>

extern char** environ;

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !reaped_) Stop();
    if (out_ >= 0) ::close(out_);
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept { *this = std::move(other); }

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        std::swap(pid_, other.pid_);
        std::swap(out_, other.out_);
        std::swap(status_, other.status_);
        std::swap(reaped_, other.reaped_);
        std::swap(buffer_, other.buffer_);
    }
    return *this;
}

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& args, bool captureOutput) {
    // A program started again: what is left of the earlier one's output goes.
    if (out_ >= 0) ::close(out_);
    out_ = -1;
    buffer_.clear();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int pipeFds[2] = {-1, -1};
    if (captureOutput) {
        if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
            posix_spawn_file_actions_destroy(&actions);
            return false;
        }
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    }
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (captureOutput) ::close(pipeFds[1]);
    if (rc != 0) {
        if (captureOutput) ::close(pipeFds[0]);
        return false;
    }
    pid_ = pid;
    out_ = captureOutput ? pipeFds[0] : -1;
    reaped_ = false;
    return true;
}

std::optional<std::string> ChildProcess::ReadLine(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const std::size_t nl = buffer_.find('\n');
        if (nl != std::string::npos) {
            std::string line = buffer_.substr(0, nl);
            buffer_.erase(0, nl + 1);
            return line;
        }
        if (out_ < 0) return std::nullopt;
        // A zero timeout still takes what is there already.
        const auto left = std::max<long long>(
            0,
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count());
        pollfd p{out_, POLLIN, 0};
        const int n = ::poll(&p, 1, static_cast<int>(left));
        if (n <= 0) {
            if (n < 0 && errno == EINTR) continue;
            return std::nullopt;
        }
        char chunk[512];
        const ssize_t got = ::read(out_, chunk, sizeof chunk);
        if (got <= 0) {
            ::close(out_);
            out_ = -1;
            continue;
        }
        buffer_.append(chunk, static_cast<std::size_t>(got));
    }
}

bool ChildProcess::Running() {
    if (pid_ <= 0 || reaped_) return false;
    const pid_t r = ::waitpid(pid_, &status_, WNOHANG);
    if (r == pid_) reaped_ = true;
    return !reaped_;
}

int ChildProcess::Wait() {
    if (pid_ <= 0) return -1;
    while (!reaped_) {
        const pid_t r = ::waitpid(pid_, &status_, 0);
        if (r == pid_ || (r < 0 && errno != EINTR)) reaped_ = true;
    }
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : 128 + (WIFSIGNALED(status_) ? WTERMSIG(status_) : 0);
}

void ChildProcess::Stop(std::chrono::milliseconds grace) {
    if (!Running()) return;
    ::kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + grace;
    // Most programs end at once: look again soon, then less often.
    auto pause = std::chrono::milliseconds(1);
    while (Running() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(20));
    }
    if (Running()) {
        ::kill(pid_, SIGKILL);
        Wait();
    }
}
