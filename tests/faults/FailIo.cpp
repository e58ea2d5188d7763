#include "FailIo.h"

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

namespace failio {
namespace {

std::atomic<bool> armed{false};
Call armedCall = Call::Open;
std::string folder;
std::atomic<int> seen{0};
std::atomic<int> failed{0};
int nthCall = 1;

template <class Fn>
Fn real(const char* symbol)
{
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, symbol));
}

bool under(const char* path)
{
    return path && std::strncmp(path, folder.c_str(), folder.size()) == 0;
}

bool fdUnder(int fd)
{
    char link[64];
    char target[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = real<ssize_t (*)(const char*, char*, size_t)>("readlink")(link, target, sizeof target - 1);
    if (n <= 0)
        return false;
    target[n] = '\0';
    return under(target);
}

// True when this call is the one to fail.
bool strike(Call call, bool touchesFolder)
{
    if (!armed.load() || call != armedCall || !touchesFolder)
        return false;
    if (++seen != nthCall)
        return false;
    ++failed;
    return true;
}

bool writing(int flags) { return (flags & (O_WRONLY | O_RDWR)) != 0; }

} // namespace

const char* name(Call call)
{
    switch (call) {
    case Call::Open: return "open";
    case Call::Write: return "write";
    case Call::ShortWrite: return "short write";
    case Call::Sync: return "sync";
    case Call::Link: return "link";
    case Call::Rename: return "rename";
    }
    return "?";
}

void arm(Call call, const std::string& dir, int nth)
{
    disarm();
    armedCall = call;
    folder = dir;
    nthCall = nth;
    seen = 0;
    failed = 0;
    armed = true;
}

void disarm() { armed = false; }
int hits() { return failed.load(); }

} // namespace failio

using failio::Call;

extern "C" {

static int openCommon(const char* symbol, int dirfd, bool at, const char* path, int flags, mode_t mode)
{
    if (failio::strike(Call::Open, failio::writing(flags) && failio::under(path))) {
        errno = ENOSPC;
        return -1;
    }
    if (at)
        return failio::real<int (*)(int, const char*, int, ...)>(symbol)(dirfd, path, flags, mode);
    return failio::real<int (*)(const char*, int, ...)>(symbol)(path, flags, mode);
}

static mode_t modeArg(int flags, va_list ap)
{
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? mode_t(va_arg(ap, int)) : 0;
}

int open(const char* path, int flags, ...)
{
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = modeArg(flags, ap);
    va_end(ap);
    return openCommon("open", 0, false, path, flags, mode);
}

int open64(const char* path, int flags, ...)
{
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = modeArg(flags, ap);
    va_end(ap);
    return openCommon("open64", 0, false, path, flags, mode);
}

int openat(int dirfd, const char* path, int flags, ...)
{
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = modeArg(flags, ap);
    va_end(ap);
    return openCommon("openat", dirfd, true, path, flags, mode);
}

int openat64(int dirfd, const char* path, int flags, ...)
{
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = modeArg(flags, ap);
    va_end(ap);
    return openCommon("openat64", dirfd, true, path, flags, mode);
}

ssize_t write(int fd, const void* buf, size_t count)
{
    static const auto realWrite = failio::real<ssize_t (*)(int, const void*, size_t)>("write");
    if (failio::armed.load() && (failio::armedCall == Call::Write || failio::armedCall == Call::ShortWrite)
        && failio::fdUnder(fd)) {
        if (failio::strike(failio::armedCall, true)) {
            if (failio::armedCall == Call::ShortWrite && count > 1) {
                // Half goes to disk, then the disk is full: every later
                // write to this folder fails.
                const ssize_t n = realWrite(fd, buf, count / 2);
                failio::nthCall = -1;
                return n;
            }
            errno = failio::armedCall == Call::ShortWrite ? ENOSPC : EIO;
            return -1;
        }
        if (failio::armedCall == Call::ShortWrite && failio::nthCall == -1) {
            errno = ENOSPC;
            return -1;
        }
    }
    return realWrite(fd, buf, count);
}

int fdatasync(int fd)
{
    if (failio::armed.load() && failio::strike(Call::Sync, failio::fdUnder(fd))) {
        errno = EIO;
        return -1;
    }
    return failio::real<int (*)(int)>("fdatasync")(fd);
}

int fsync(int fd)
{
    if (failio::armed.load() && failio::strike(Call::Sync, failio::fdUnder(fd))) {
        errno = EIO;
        return -1;
    }
    return failio::real<int (*)(int)>("fsync")(fd);
}

int linkat(int olddirfd, const char* oldpath, int newdirfd, const char* newpath, int flags)
{
    if (failio::strike(Call::Link, failio::under(newpath))) {
        errno = ENOSPC;
        return -1;
    }
    return failio::real<int (*)(int, const char*, int, const char*, int)>("linkat")(olddirfd, oldpath, newdirfd,
                                                                                   newpath, flags);
}

int rename(const char* oldpath, const char* newpath)
{
    if (failio::strike(Call::Rename, failio::under(newpath))) {
        errno = EIO;
        return -1;
    }
    return failio::real<int (*)(const char*, const char*)>("rename")(oldpath, newpath);
}

int renameat(int olddirfd, const char* oldpath, int newdirfd, const char* newpath)
{
    if (failio::strike(Call::Rename, failio::under(newpath))) {
        errno = EIO;
        return -1;
    }
    return failio::real<int (*)(int, const char*, int, const char*)>("renameat")(olddirfd, oldpath, newdirfd, newpath);
}

} // extern "C"
