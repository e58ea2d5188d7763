#pragma once
// Runs the real `plomet` binary (its path compiled in as PLOMET_CLI_PATH)
// and collects its exit code, stdout and stderr.
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace plomet::test {

struct CliRun {
    int exitCode = -1;   // -1: crashed, hung or did not start
    QString out, err;
};

// runtimeDir false runs it as root, cron and CI often do: with no
// XDG_RUNTIME_DIR at all. `locale` is the user's (LC_ALL): the C locale
// speaks English, zh_CN.UTF-8 Chinese.
// `program`: another copy of it.
inline CliRun runPlomet(const QStringList& args, bool runtimeDir = true, const char* locale = "C",
                        const QString& program = QStringLiteral(PLOMET_CLI_PATH))
{
    // A private runtime folder, as the program expects; Qt warns on stderr
    // without one, and stderr is part of what is checked.
    static QTemporaryDir runtime;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (runtimeDir)
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    else
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    env.insert(QStringLiteral("LC_ALL"), QString::fromLatin1(locale));
    p.setProcessEnvironment(env);
    p.start(program, args);
    CliRun r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit) {
        p.kill();
        r.err = QStringLiteral("did not finish normally: ") + p.errorString();
        return r;
    }
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace plomet::test
