#pragma once
// Why a file operation failed, in the windows' language. The C library and Qt
// give their reasons in English ("No such file or directory"), which would
// stand inside a Chinese sentence; the usual causes are said here in Chinese.
#include <QString>

#include <cerrno>
#include <cstring>

namespace plomet {

// The reason for the C library error number err; fallback (or the C library's
// own text) for a number without a Chinese text.
inline QString systemReason(int err, const QString& fallback = QString())
{
    switch (err) {
    case ENOENT: return QStringLiteral("文件或文件夹不存在");
    case EACCES: case EPERM: return QStringLiteral("没有访问权限");
    case EROFS: return QStringLiteral("文件系统是只读的");
    case ENOSPC: return QStringLiteral("磁盘已满");
    case EDQUOT: return QStringLiteral("超出了磁盘配额");
    case EISDIR: return QStringLiteral("这是一个文件夹");
    case ENOTDIR: return QStringLiteral("路径中有一部分不是文件夹");
    case ENAMETOOLONG: return QStringLiteral("文件名太长");
    case ELOOP: return QStringLiteral("符号链接层数太多");
    case EIO: return QStringLiteral("读写设备时出错");
    case EFBIG: return QStringLiteral("文件太大");
    case EBUSY: case ETXTBSY: return QStringLiteral("文件正被占用");
    case EMFILE: case ENFILE: return QStringLiteral("打开的文件太多");
    case ENOMEM: return QStringLiteral("内存不足");
    case EXDEV: return QStringLiteral("不能跨文件系统移动文件");
    default:
        break;
    }
    if (!fallback.isEmpty())
        return fallback;
    return QString::fromLocal8Bit(std::strerror(err));
}

} // namespace plomet
