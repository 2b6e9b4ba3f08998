#include "tests/faults/kit/ServerProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace {

const char* const kServerBin = TILELINK_TABLE_DIR "/tilelink-server";

void CloseFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

}  // namespace

unsigned long RaiseOpenFileLimit(unsigned long wanted) {
    rlimit lim{};
    if (::getrlimit(RLIMIT_NOFILE, &lim) != 0) return 0;
    if (lim.rlim_cur < wanted) {
        lim.rlim_cur = std::min<rlim_t>(lim.rlim_max, wanted);
        ::setrlimit(RLIMIT_NOFILE, &lim);
        ::getrlimit(RLIMIT_NOFILE, &lim);
    }
    return static_cast<unsigned long>(lim.rlim_cur);
}

ServerProcess::~ServerProcess() {
    if (pid_ > 0 && !reaped_) Stop();
    Close();
}

void ServerProcess::Close() {
    CloseFd(in_);
    CloseFd(out_);
    CloseFd(err_);
}

bool ServerProcess::Start(const std::vector<std::string>& args, std::optional<unsigned long long> fileSizeLimit,
                          std::optional<unsigned long> openFileLimit) {
    std::vector<std::string> all = {program_.empty() ? std::string(kServerBin) : program_, "--listen", "127.0.0.1:0"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);

    ::signal(SIGPIPE, SIG_IGN);  // a server that is gone must not end the caller on a write
    int in[2] = {-1, -1}, out[2] = {-1, -1}, err[2] = {-1, -1};
    auto closeAll = [&] {
        for (int* p : {in, out, err}) {
            CloseFd(p[0]);
            CloseFd(p[1]);
        }
    };
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
        closeAll();
        return false;
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        closeAll();
        return false;
    }
    if (pid == 0) {
        // Only calls that are safe between fork and exec.
        ::dup2(in[0], STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails with EFBIG instead
        if (fileSizeLimit) {
            rlimit lim{};
            ::getrlimit(RLIMIT_FSIZE, &lim);
            lim.rlim_cur = static_cast<rlim_t>(*fileSizeLimit);
            ::setrlimit(RLIMIT_FSIZE, &lim);
        }
        if (openFileLimit) {
            const rlimit lim{static_cast<rlim_t>(*openFileLimit), static_cast<rlim_t>(*openFileLimit)};
            ::setrlimit(RLIMIT_NOFILE, &lim);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    pid_ = pid;
    reaped_ = false;
    in_ = in[1];
    out_ = out[0];
    err_ = err[0];
    ::fcntl(err_, F_SETFL, ::fcntl(err_, F_GETFL) | O_NONBLOCK);

    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < end && Running()) {
        const auto line = ReadLine(std::chrono::milliseconds(500));
        if (!line) continue;
        const auto at = line->find("listening on ");
        const auto colon = line->rfind(':');
        if (at != std::string::npos && colon != std::string::npos) {
            port_ = std::atoi(line->c_str() + colon + 1);
            return port_ > 0;
        }
    }
    return false;
}

bool ServerProcess::Running() {
    if (pid_ <= 0 || reaped_) return false;
    if (::waitpid(pid_, &status_, WNOHANG) == pid_) reaped_ = true;
    return !reaped_;
}

bool ServerProcess::SetFileSizeLimit(unsigned long long bytes) {
    rlimit lim{};
    if (::prlimit(pid_, RLIMIT_FSIZE, nullptr, &lim) != 0) return false;
    lim.rlim_cur = static_cast<rlim_t>(bytes);
    return ::prlimit(pid_, RLIMIT_FSIZE, &lim, nullptr) == 0;
}

bool ServerProcess::LiftFileSizeLimit() {
    rlimit lim{};
    if (::prlimit(pid_, RLIMIT_FSIZE, nullptr, &lim) != 0) return false;
    lim.rlim_cur = lim.rlim_max;
    return ::prlimit(pid_, RLIMIT_FSIZE, &lim, nullptr) == 0;
}

bool ServerProcess::SetOpenFileLimit(unsigned long descriptors) {
    rlimit lim{};
    if (::prlimit(pid_, RLIMIT_NOFILE, nullptr, &lim) != 0) return false;
    lim.rlim_cur = static_cast<rlim_t>(descriptors);
    return ::prlimit(pid_, RLIMIT_NOFILE, &lim, nullptr) == 0;
}

int ServerProcess::OpenDescriptors() const {
    std::error_code ec;
    int n = 0;
    for (std::filesystem::directory_iterator it("/proc/" + std::to_string(pid_) + "/fd", ec), end; !ec && it != end;
         it.increment(ec))
        ++n;
    return n;
}

double ServerProcess::CpuSeconds() const {
    std::ifstream in("/proc/" + std::to_string(pid_) + "/stat");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::vector<std::string> f;
    std::size_t pos = close + 2;
    while (pos < text.size()) {
        const auto sp = text.find(' ', pos);
        f.push_back(text.substr(pos, sp - pos));
        if (sp == std::string::npos) break;
        pos = sp + 1;
    }
    // utime and stime are fields 14 and 15 of the line, 12 and 13 after the name.
    return f.size() > 12 ? (std::stod(f[11]) + std::stod(f[12])) / static_cast<double>(::sysconf(_SC_CLK_TCK)) : 0;
}

std::optional<std::string> ServerProcess::ReadLine(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto nl = outBuffer_.find('\n');
        if (nl != std::string::npos) {
            std::string line = outBuffer_.substr(0, nl);
            outBuffer_.erase(0, nl + 1);
            return line;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (out_ < 0 || left.count() <= 0) return std::nullopt;
        pollfd p{out_, POLLIN, 0};
        const int n = ::poll(&p, 1, static_cast<int>(left.count()));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return std::nullopt;
        char chunk[1024];
        const ssize_t got = ::read(out_, chunk, sizeof chunk);
        if (got <= 0) {
            CloseFd(out_);
            continue;
        }
        outBuffer_.append(chunk, static_cast<std::size_t>(got));
    }
}

ServerProcess::Status ServerProcess::QueryStatus(std::chrono::milliseconds timeout) {
    Status st;
    if (in_ < 0) return st;
    const std::string cmd = "status\n";
    if (::write(in_, cmd.data(), cmd.size()) != static_cast<ssize_t>(cmd.size())) return st;
    const auto end = std::chrono::steady_clock::now() + timeout;
    // The reply: "N connections, U users, T tables", then one line per table.
    while (std::chrono::steady_clock::now() < end) {
        const auto line =
            ReadLine(std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()));
        if (!line) return st;
        if (std::sscanf(line->c_str(), "%d connections, %d users, %d tables", &st.connections, &st.users, &st.tables) ==
            3)
            break;
        st.connections = -1;
    }
    for (int i = 0; i < st.tables; ++i) {
        const auto line =
            ReadLine(std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()));
        if (!line) break;
        st.tableLines.push_back(*line);
    }
    return st;
}

const std::string& ServerProcess::Errors() {
    char chunk[1024];
    while (err_ >= 0) {
        const ssize_t got = ::read(err_, chunk, sizeof chunk);
        if (got > 0) {
            errText_.append(chunk, static_cast<std::size_t>(got));
            continue;
        }
        if (got == 0) CloseFd(err_);
        break;  // nothing more for now
    }
    return errText_;
}

long ServerProcess::ResidentKib() const {
    std::ifstream in("/proc/" + std::to_string(pid_) + "/status");
    std::string key;
    while (in >> key) {
        if (key == "VmRSS:") {
            long kib = 0;
            in >> kib;
            return kib;
        }
        in.ignore(1 << 12, '\n');
    }
    return 0;
}

int ServerProcess::Stop(std::chrono::milliseconds grace) {
    if (pid_ <= 0) return -1;
    if (Running()) {
        ::kill(pid_, SIGTERM);
        const auto end = std::chrono::steady_clock::now() + grace;
        while (Running() && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (Running()) {
            ::kill(pid_, SIGKILL);
            while (::waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {}
            reaped_ = true;
        }
    }
    Errors();
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : 128 + (WIFSIGNALED(status_) ? WTERMSIG(status_) : 0);
}
