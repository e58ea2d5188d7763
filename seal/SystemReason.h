#pragma once
// Why a file operation failed, in the windows' language. The C library and Qt
// give their reasons in English ("No such file or directory"), which would
// stand inside a Chinese sentence; the usual causes are said here in Chinese.
#include <QString>

#include <cerrno>
#include <cstring>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace plomet {

// The reason for the C library error number err; fallback (or the C library's
// own text) for a number without a Chinese text.
inline QString systemReason(int err, const QString& fallback = QString())
{
    switch (err) {
    case ENOENT: return QCoreApplication::translate("Seal", "no such file or folder");
    case EACCES: case EPERM: return QCoreApplication::translate("Seal", "permission denied");
    case EROFS: return QCoreApplication::translate("Seal", "the file system is read-only");
    case ENOSPC: return QCoreApplication::translate("Seal", "the disk is full");
    case EDQUOT: return QCoreApplication::translate("Seal", "the disk quota is exceeded");
    case EISDIR: return QCoreApplication::translate("Seal", "it is a folder");
    case ENOTDIR: return QCoreApplication::translate("Seal", "a part of the path is not a folder");
    case ENAMETOOLONG: return QCoreApplication::translate("Seal", "the file name is too long");
    case ELOOP: return QCoreApplication::translate("Seal", "too many levels of symbolic links");
    case EIO: return QCoreApplication::translate("Seal", "input/output error");
    case EFBIG: return QCoreApplication::translate("Seal", "the file is too large");
    case EBUSY: case ETXTBSY: return QCoreApplication::translate("Seal", "the file is busy");
    case EMFILE: case ENFILE: return QCoreApplication::translate("Seal", "too many open files");
    case ENOMEM: return QCoreApplication::translate("Seal", "out of memory");
    case EXDEV: return QCoreApplication::translate("Seal", "a file cannot be moved across file systems");
    default:
        break;
    }
    if (!fallback.isEmpty())
        return fallback;
    return QString::fromLocal8Bit(std::strerror(err));
}

// Why file could not be opened for reading, err being the errno its open
// left: Qt refuses a folder itself, without a C library error.
inline QString openReason(const QFile& file, int err)
{
    return QFileInfo(file.fileName()).isDir() ? systemReason(EISDIR) : systemReason(err, file.errorString());
}

} // namespace plomet
