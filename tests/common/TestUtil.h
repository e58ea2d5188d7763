#pragma once
// Small helpers shared by the tests.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace plomet::test {

inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// The root of the source tree and of the build tree (set by CTest).
inline QString sourceDir() { return qEnvironmentVariable("PLOMET_SOURCE_DIR", QStringLiteral(".")); }
inline QString buildDir() { return qEnvironmentVariable("PLOMET_BUILD_DIR", QStringLiteral(".")); }

} // namespace plomet::test
