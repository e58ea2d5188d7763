#include "cli/ServeHeaders.h"

#include <algorithm>
#include <cstring>

#include <poll.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace plomet {

namespace {

HeaderLimits limits;

using Clock = std::chrono::steady_clock;

// The connection this thread serves. A connection is served by one thread
// from accept to close, so nothing here is shared.
struct Watch {
    bool active = false;     // a connection is served on this thread
    int fd = -1;             // its socket, from the first read
    bool inHeaders = false;  // reading a request's headers
    bool started = false;    // their first byte has come
    Clock::time_point first;
    size_t bytes = 0, lines = 0;
    HeaderCut cut = HeaderCut::None;
};

thread_local Watch watch;

void startHeaders()
{
    watch.inHeaders = true;
    watch.started = false;
    watch.bytes = 0;
    watch.lines = 0;
    watch.cut = HeaderCut::None;
}

ssize_t systemRecv(int fd, void* buffer, size_t length, int flags)
{
    return ssize_t(::syscall(SYS_recvfrom, fd, buffer, length, flags, nullptr, nullptr));
}

void drain(int fd);

// Cuts the headers off: the socket is shut for reading, so that the
// library's next wait for bytes ends at once and its reads return the end.
// What the client still sends is read and dropped for a little while first:
// a socket closed with unread bytes is reset, and the client would lose the
// answer that says why (at most 4 MiB or a second; a pause of 50 ms ends it).
void cutOff(int fd, plomet::HeaderCut why)
{
    watch.cut = why;
    drain(fd);
    ::shutdown(fd, SHUT_RD);
}

void drain(int fd)
{
    char sink[16384];
    size_t dropped = 0;
    const auto end = Clock::now() + std::chrono::seconds(1);
    while (dropped < (size_t(4) << 20) && Clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            return;
        const ssize_t n = systemRecv(fd, sink, sizeof sink, MSG_DONTWAIT);
        if (n <= 0)
            return;
        dropped += size_t(n);
    }
}

} // namespace

void setHeaderLimits(const HeaderLimits& l) { limits = l; }
const HeaderLimits& headerLimits() { return limits; }

void watchConnection()
{
    watch = Watch{};
    watch.active = true;
    startHeaders();
}

void forgetConnection() { watch = Watch{}; }

void headersArrived() { watch.inHeaders = false; }

void awaitHeaders()
{
    if (watch.active && watch.cut == HeaderCut::None)
        startHeaders();
}

HeaderCut headerCut() { return watch.active ? watch.cut : HeaderCut::None; }

} // namespace plomet

// Every socket read of the process comes here (the HTTP library's among
// them): the watched connection's, while its headers come, are counted and
// timed; a cut-off one reads as ended. Everything else goes straight through.
extern "C" ssize_t recv(int fd, void* buffer, size_t length, int flags)
{
    using plomet::watch;
    if (!watch.active || (watch.fd >= 0 && watch.fd != fd))
        return plomet::systemRecv(fd, buffer, length, flags);
    if (watch.fd < 0)
        watch.fd = fd;
    if (!watch.inHeaders)
        return plomet::systemRecv(fd, buffer, length, flags);
    if (watch.cut != plomet::HeaderCut::None) {
        // The library peeks a byte to see that a socket is still open before
        // it writes: this one is, for the answer.
        if ((flags & MSG_PEEK) && length > 0) {
            static_cast<char*>(buffer)[0] = '\0';
            return 1;
        }
        return 0;
    }
    const ssize_t n = plomet::systemRecv(fd, buffer, length, flags);
    if (n <= 0 || (flags & MSG_PEEK))
        return n;
    const auto now = plomet::Clock::now();
    if (!watch.started) {
        watch.started = true;
        watch.first = now;
    } else if (now - watch.first > plomet::limits.time) {
        plomet::cutOff(fd, plomet::HeaderCut::Late);
        return 0;
    }
    // A read may run past the blank line into the body or the next
    // request: counted as headers, which errs on the safe side.
    watch.bytes += size_t(n);
    const char* p = static_cast<const char*>(buffer);
    watch.lines += size_t(std::count(p, p + n, '\n'));
    if (watch.bytes > plomet::limits.bytes || watch.lines > plomet::limits.lines) {
        plomet::cutOff(fd, plomet::HeaderCut::TooLarge);
        return 0;
    }
    return n;
}
