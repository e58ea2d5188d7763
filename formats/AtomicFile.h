#pragma once
// Writing a whole file so that a failure at any step — creating it, writing,
// flushing to the disk, putting it in place — leaves the old file as it was
// and reports the failure. Every file the program writes goes through here.
//
// Why not QSaveFile alone: in Qt 6.4, a buffered QSaveFile takes a short or
// failed write of its buffer for success and commits a cut file, and commit()
// ignores a failing fdatasync. Here the bytes go out unbuffered (so the count
// is ours to check) and are synced by us before the rename.
#include "seal/Errors.h"
#include "seal/SystemReason.h"

#include <QByteArray>
#include <QDir>
#include <QSaveFile>
#include <QString>

#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <QCoreApplication>

namespace plomet {

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
