#include "tests/faults/kit/FaultProxy.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace {

constexpr std::uint8_t kStart = 17, kRemove = 19;

void NonBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

sockaddr_in Loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

// Reads what is there into `into`; false when the peer has gone.
bool ReadInto(int fd, Bytes& into, std::size_t* got = nullptr) {
    std::uint8_t buf[16384];
    const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n < 0) return errno == EAGAIN || errno == EINTR;
    if (n == 0) return false;
    into.insert(into.end(), buf, buf + n);
    if (got) *got = static_cast<std::size_t>(n);
    return true;
}

// Writes what it can of `from`; false when the peer has gone.
bool WriteFrom(int fd, Bytes& from) {
    if (from.empty()) return true;
    const ssize_t n = ::send(fd, from.data(), from.size(), MSG_NOSIGNAL);
    if (n < 0) return errno == EAGAIN || errno == EINTR;
    from.erase(from.begin(), from.begin() + n);
    return true;
}

}  // namespace

FaultProxy::FaultProxy(int serverPort) : serverPort_(serverPort) {
    listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    ::setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a = Loopback(0);
    socklen_t len = sizeof a;
    if (::bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(listen_, 64) != 0 ||
        ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len) != 0 || ::pipe2(wake_, O_CLOEXEC) != 0)
        return;
    port_ = ntohs(a.sin_port);
    NonBlocking(listen_);
    thread_ = std::thread([this] { Run(); });
}

FaultProxy::~FaultProxy() {
    stop_ = true;
    if (wake_[1] >= 0 && ::write(wake_[1], "x", 1) < 0) {
        // the thread wakes within its poll time anyway
    }
    if (thread_.joinable()) thread_.join();
    for (auto& l : links_) Close(*l);
    for (int fd : {listen_, wake_[0], wake_[1]})
        if (fd >= 0) ::close(fd);
}

void FaultProxy::ArmCut(int removals) { armed_ = removals; }

void FaultProxy::Close(Link& l) {
    for (int* fd : {&l.client, &l.server})
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
}

void FaultProxy::Accept() {
    for (;;) {
        const int c = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
        if (c < 0) return;
        const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_in to = Loopback(serverPort_);
        if (s < 0 || ::connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
            ::close(c);
            if (s >= 0) ::close(s);
            continue;
        }
        NonBlocking(c);
        NonBlocking(s);
        auto l = std::make_unique<Link>();
        l->client = c;
        l->server = s;
        links_.push_back(std::move(l));
        ++accepted_;
    }
}

void FaultProxy::CutAll() {
    int n = 0;
    for (auto& l : links_) {
        n += l->client >= 0;
        Close(*l);
    }
    links_.clear();
    cutConnections_ += n;
    ++cuts_;
}

void FaultProxy::Run() {
    while (!stop_) {
        std::vector<pollfd> fds = {{listen_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        for (auto& l : links_) {
            fds.push_back({l->client, static_cast<short>(POLLIN | (l->toClient.empty() ? 0 : POLLOUT)), 0});
            fds.push_back({l->server, static_cast<short>(POLLIN | (l->toServer.empty() ? 0 : POLLOUT)), 0});
        }
        if (::poll(fds.data(), fds.size(), 100) < 0 && errno != EINTR) return;
        if (fds[0].revents) Accept();
        bool cut = false;
        for (std::size_t i = 0; i < links_.size() && 2 * i + 3 < fds.size(); ++i) {
            Link& l = *links_[i];
            const short fromClient = fds[2 * i + 2].revents, fromServer = fds[2 * i + 3].revents;
            bool open = true;
            if (fromClient & (POLLIN | POLLHUP | POLLERR)) open = ReadInto(l.client, l.toServer);
            if (open && (fromServer & (POLLIN | POLLHUP | POLLERR))) {
                const std::size_t before = l.toClient.size();
                open = ReadInto(l.server, l.toClient);
                // Follow the server's frames: the running game's removal broadcasts.
                l.frames.Feed(l.toClient.data() + before, l.toClient.size() - before);
                Bytes m;
                while (l.frames.Next(m)) {
                    if (m[0] == kStart) l.removals = 0;
                    else if (m[0] == kRemove && l.removals >= 0) ++l.removals;
                    if (armed_ > 0 && l.removals == armed_) cut = true;
                }
            }
            if (open) open = WriteFrom(l.server, l.toServer) && WriteFrom(l.client, l.toClient);
            if (!open) Close(l);
        }
        if (cut) {
            armed_ = 0;
            CutAll();
        }
        std::erase_if(links_, [](const std::unique_ptr<Link>& l) { return l->client < 0; });
    }
}
