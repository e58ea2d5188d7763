#pragma once
// Writing a whole file so that a failure at any step — creating it, writing,
// flushing to the disk, putting it in place — leaves the old file as it was
// and reports the failure. Every file the program writes goes through here.
//
// Why not QSaveFile: in Qt 6.4, a buffered QSaveFile takes a short or failed
// write of its buffer for success and commits a cut file, and commit()
// ignores a failing fdatasync. Unbuffered and synced by us it was sound, but
// it syncs again itself: a second flush of the disk for every file, a sixth
// of a batch's time on a real disk. On Linux the file is written here as
// QSaveFile writes it (a nameless file in the folder, linked into place; a
// link's target replaced; the old file's permissions kept), synced once.
#include "seal/Errors.h"
#include "seal/SystemReason.h"

#include <QByteArray>
#include <QDir>
#include <QSaveFile>
#include <QString>

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <QCoreApplication>

namespace plomet {

namespace atomicfile {

#ifdef O_TMPFILE
// The file a path names for writing: a symbolic link's target (to a depth
// the system allows), the path itself otherwise; with what lstat says of it
// (existed false when there is nothing there yet). One call for a plain
// file, the common case.
struct Target {
    QByteArray file;
    bool existed = false;
    struct stat old {};
};

inline Target targetOf(const QString& path)
{
    Target t;
    QString target = path;
    for (int depth = 0; depth < 40; ++depth) {
        t.file = QFile::encodeName(target);
        t.existed = ::lstat(t.file.constData(), &t.old) == 0;
        if (!t.existed || !S_ISLNK(t.old.st_mode))
            return t;
        target = QFileInfo(target).symLinkTarget();
    }
    // Too deep a chain: left to the system, which refuses it.
    t.existed = ::stat(t.file.constData(), &t.old) == 0;
    return t;
}

// All of bytes to fd, through short writes; false with errno set. A write
// that makes no progress is a full disk.
inline bool writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(std::min<qsizetype>(left, qsizetype(1) << 30)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

// The file at target replaced by bytes, with the old file's permissions
// (not its set-user and set-group bits); 0, or the errno of the step that
// failed, having left no new file and the old one as it was; -1 when the
// file system has no nameless files (nothing has been done then).
inline int replaceFile(const Target& target, const QByteArray& bytes)
{
    const QByteArray& file = target.file;
    const int slash = file.lastIndexOf('/');
    const QByteArray dir = slash < 0 ? QByteArray(".") : file.left(slash + 1);
    const bool existed = target.existed;
    if (existed && S_ISDIR(target.old.st_mode))
        return EISDIR;
    // Until it is linked into place the file has no name: nothing is left
    // behind by a failure, or by the end of the process.
    const int fd = ::open(dir.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno == EOPNOTSUPP || errno == EISDIR ? -1 : errno;
    int err = 0;
    if (!writeAll(fd, bytes) || ::fdatasync(fd) != 0 || (existed && ::fchmod(fd, target.old.st_mode & 0777) != 0))
        err = errno;
    char self[64];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
    // A new file is linked in place; over an old one (or one made since the
    // look) it is linked to a temporary name and renamed, so that the old
    // file stays until the new one takes its place.
    if (!err && (existed || ::linkat(AT_FDCWD, self, AT_FDCWD, file.constData(), AT_SYMLINK_FOLLOW) != 0)) {
        err = existed ? EEXIST : errno;
        if (err == EEXIST) {
            err = 0;
            static const QByteArray pid = QByteArray::number(::getpid());
            QByteArray temporary;
            for (int attempt = 0; attempt < 100 && temporary.isEmpty(); ++attempt) {
                const QByteArray name = file + ".new" + pid + '-' + QByteArray::number(attempt);
                if (::linkat(AT_FDCWD, self, AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0)
                    temporary = name;
                else if (errno != EEXIST) {
                    err = errno;
                    break;
                }
            }
            if (!err && temporary.isEmpty())
                err = EEXIST;
            if (!err && ::rename(temporary.constData(), file.constData()) != 0) {
                err = errno;
                ::unlink(temporary.constData());
            }
        }
    }
    ::close(fd);
    return err;
}
#endif

} // namespace atomicfile

// Replaces the file at path with bytes, atomically. On failure throws
// PlometError (Kind::File) with messageTemplate's %1 the path (native
// separators) and %2 the reason; no new file is left, an old one is
// unchanged.
inline void writeFileAtomically(const QString& path, const QByteArray& bytes, const QString& messageTemplate)
{
    auto fail = [&](const QString& reason) {
        throw PlometError(PlometError::Kind::File,
                          QString(messageTemplate).arg(QDir::toNativeSeparators(path), reason));
    };
#ifdef O_TMPFILE
    const int err = atomicfile::replaceFile(atomicfile::targetOf(path), bytes);
    // A file system without nameless files is written as QSaveFile writes it.
    if (err >= 0) {
        if (err != 0)
            fail(systemReason(err));
        return;
    }
#endif
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        fail(systemReason(errno, file.errorString()));
    errno = 0;
    const qint64 written = file.write(bytes);
    if (written != bytes.size()) {
        const QString reason = written < 0 ? systemReason(errno, file.errorString())
                                           : QCoreApplication::translate("Formats", "only %1 of %2 bytes were written; the disk may be full")
                                                 .arg(written)
                                                 .arg(bytes.size());
        file.cancelWriting();
        fail(reason);
    }
    if (::fdatasync(file.handle()) != 0) {
        const QString reason = systemReason(errno);
        file.cancelWriting();
        fail(reason);
    }
    errno = 0;
    if (!file.commit())
        fail(systemReason(errno, file.errorString()));
}

} // namespace plomet
