// plomet verify and plomet cert: checking a document's signatures, and a
// seal certificate for trying signing out. The password reading that
// `plomet stamp --sign` shares.
#include "cli/cli.h"
#include "cli/Options.h"

#include "formats/AtomicFile.h"
#include "seal/Errors.h"
#include "seal/SystemReason.h"
#include "stamp/PdfSign.h"
#include "stamp/PdfStamp.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <openssl/crypto.h>

#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace plomet {

namespace {

const char kVerifyAbout[] = QT_TRANSLATE_NOOP(
    "Commands",
    "Usage: plomet verify FILE.pdf [--json] [--trust CERT.pem]\n"
    "\n"
    "Checks every digital signature of FILE.pdf: the signature field, the\n"
    "signer's certificate subject, the signing time, the hash, whether the\n"
    "signed bytes are intact, whether the signature covers the whole file or\n"
    "later revisions follow it, and whether the signer's certificate chain\n"
    "leads to a trusted certificate (the system's store, or --trust).\n");

const char kVerifyNotes[] = QT_TRANSLATE_NOOP(
    "Commands",
    "Exit codes: 0 every signature intact, 1 a signature is not intact, the\n"
    "file has none, or it cannot be read; 2 bad command line.\n");

const char kCertAbout[] = QT_TRANSLATE_NOOP(
    "Commands",
    "Usage: plomet cert new --name NAME -o SEAL.p12 [--days N] [--password-file FILE]\n"
    "\n"
    "Makes a new RSA key and a SELF-SIGNED certificate for it (subject CN and\n"
    "O the name, in UTF-8, key usage digitalSignature and nonRepudiation), and\n"
    "writes both as PKCS#12 protected by a password. This certificate is NOT\n"
    "issued by a certification authority: it is for trying electronic seals\n"
    "out, and readers report its signatures as not trusted.\n");

const char kCertNotes[] = QT_TRANSLATE_NOOP(
    "Commands",
    "The password comes from --password-file, else the environment variable\n"
    "PLOMET_P12_PASSWORD, else it is asked on the terminal (twice, not shown).\n"
    "Exit codes: 0 written, 1 failed, 2 bad command line.\n");

QByteArray promptNoEcho(const QString& prompt)
{
    std::fputs(prompt.toUtf8().constData(), stderr);
    std::fflush(stderr);
    termios old{};
    const bool terminal = tcgetattr(STDIN_FILENO, &old) == 0;
    if (terminal) {
        termios quiet = old;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    QByteArray line;
    for (int c; (c = std::fgetc(stdin)) != EOF && c != '\n' && line.size() < 4096;)
        line += char(c);
    if (terminal)
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &old);
    std::fputc('\n', stderr);
    return line;
}

} // namespace

SignRequest signRequest(const QString& p12Path, const QString& passwordFile)
{
    SignRequest request;
    QFile file(p12Path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly) || QFileInfo(p12Path).isDir()) {
        const QString reason = QFileInfo(p12Path).isDir() ? systemReason(EISDIR) : systemReason(errno, file.errorString());
        throw PlometError(PlometError::Kind::File,
                          Cli::tr("cannot open the certificate file “%1”: %2").arg(QDir::toNativeSeparators(p12Path), reason));
    }
    const QByteArray p12 = file.read(16 * 1024 * 1024);
    std::optional<QByteArray> password = readPassword(passwordFile, false);
    if (password)
        request.key = loadSigningKey(p12, *password, QDir::toNativeSeparators(p12Path));
    return request;
}

std::optional<QByteArray> readPassword(const QString& passwordFile, bool confirm)
{
    if (!passwordFile.isEmpty()) {
        QFile file(passwordFile);
        errno = 0;
        if (!file.open(QIODevice::ReadOnly)) {
            printError(Cli::tr("cannot open the password file “%1”: %2")
                           .arg(QDir::toNativeSeparators(passwordFile), systemReason(errno, file.errorString())));
            return std::nullopt;
        }
        QByteArray line = file.read(4096);
        const qsizetype end = line.indexOf('\n');
        if (end >= 0)
            line.truncate(end);
        if (line.endsWith('\r'))
            line.chop(1);
        return line;
    }
    if (const char* env = std::getenv("PLOMET_P12_PASSWORD"))
        return QByteArray(env);
    if (!isatty(STDIN_FILENO)) {
        printError(Cli::tr("no password: give --password-file FILE or set PLOMET_P12_PASSWORD"));
        return std::nullopt;
    }
    QByteArray password = promptNoEcho(Cli::tr("Certificate password: "));
    if (confirm) {
        QByteArray again = promptNoEcho(Cli::tr("Again: "));
        const bool same = again == password;
        OPENSSL_cleanse(again.data(), static_cast<size_t>(again.size()));
        if (!same) {
            OPENSSL_cleanse(password.data(), static_cast<size_t>(password.size()));
            printError(Cli::tr("the two passwords differ"));
            return std::nullopt;
        }
    }
    return password;
}

int cmdVerify(QStringList args)
{
    CommandLine parser(kCmdVerify, "verify", kVerifyAbout, kVerifyNotes);
    if (const auto done = parser.parse(args))
        return *done;
    const QCommandLineOption& jsonOpt = parser.option("json");
    const QCommandLineOption& trustOpt = parser.option("trust");
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        printError(positional.isEmpty() ? Cli::tr("missing FILE.pdf (the document to check)")
                                        : Cli::tr("unexpected argument '%1'").arg(positional.at(1)));
        return kExitUsage;
    }
    const QString path = positional.at(0);
    // A document that cannot be checked at all still answers --json: one
    // document naming the file and why, so a script reads every outcome the
    // same way.
    auto fail = [&](const QString& message) {
        printError(message);
        if (parser.isSet(jsonOpt)) {
            const QJsonObject top{{QStringLiteral("file"), path},
                                  {QStringLiteral("signatures"), QJsonArray()},
                                  {QStringLiteral("allIntact"), false},
                                  {QStringLiteral("error"), message}};
            std::fputs(QJsonDocument(top).toJson(QJsonDocument::Indented).constData(), stdout);
            std::fflush(stdout);
        }
        return kExitFailed;
    };
    auto readAll = [](const QString& file, QByteArray& bytes) -> QString {
        QFile f(file);
        errno = 0;
        if (!f.open(QIODevice::ReadOnly) || QFileInfo(file).isDir()) {
            const QString reason = QFileInfo(file).isDir() ? systemReason(EISDIR) : systemReason(errno, f.errorString());
            return Cli::tr("cannot open the file “%1”: %2").arg(QDir::toNativeSeparators(file), reason);
        }
        bytes = f.readAll();
        return QString();
    };
    QByteArray bytes, trust;
    if (const QString problem = readAll(path, bytes); !problem.isEmpty())
        return fail(problem);
    if (parser.isSet(trustOpt))
        if (const QString problem = readAll(parser.value(trustOpt), trust); !problem.isEmpty())
            return fail(problem);

    std::vector<SignatureCheck> checks;
    try {
        checks = verifyPdfBytes(bytes, QDir::toNativeSeparators(path), trust);
    } catch (const PlometError& e) {
        return fail(e.message());
    }
    bool allIntact = !checks.empty();
    for (const SignatureCheck& c : checks)
        allIntact = allIntact && c.intact;

    if (parser.isSet(jsonOpt)) {
        QJsonArray list;
        for (const SignatureCheck& c : checks)
            list.append(QJsonObject{{QStringLiteral("field"), c.field},
                                    {QStringLiteral("subFilter"), c.subFilter},
                                    {QStringLiteral("signer"), c.signer},
                                    {QStringLiteral("time"), c.time},
                                    {QStringLiteral("hash"), c.hash},
                                    {QStringLiteral("intact"), c.intact},
                                    {QStringLiteral("problem"), c.problem},
                                    {QStringLiteral("wholeFile"), c.wholeFile},
                                    {QStringLiteral("bytesAfter"), c.bytesAfter},
                                    {QStringLiteral("chainValid"), c.chainValid},
                                    {QStringLiteral("chainProblem"), c.chainProblem}});
        const QJsonObject top{{QStringLiteral("file"), path},
                              {QStringLiteral("signatures"), list},
                              {QStringLiteral("allIntact"), allIntact}};
        std::fputs(QJsonDocument(top).toJson(QJsonDocument::Indented).constData(), stdout);
    } else {
        QString text;
        for (const SignatureCheck& c : checks) {
            text += Cli::tr("Signature field: %1\n").arg(c.field);
            text += Cli::tr("  Signer: %1\n").arg(c.signer.isEmpty() ? QStringLiteral("?") : c.signer);
            text += Cli::tr("  Signing time: %1\n").arg(c.time.isEmpty() ? QStringLiteral("?") : c.time);
            text += Cli::tr("  Type: %1, hash %2\n").arg(c.subFilter, c.hash.isEmpty() ? QStringLiteral("?") : c.hash);
            text += c.intact ? Cli::tr("  Signed bytes: intact\n")
                             : Cli::tr("  Signed bytes: NOT intact (%1)\n").arg(c.problem);
            if (c.wholeFile)
                text += Cli::tr("  Covers: the whole file\n");
            else
                text += Cli::tr("  Covers: a revision; %1 bytes of later revisions follow\n").arg(c.bytesAfter);
            text += c.chainValid ? Cli::tr("  Certificate chain: trusted\n")
                                 : Cli::tr("  Certificate chain: not trusted (%1)\n").arg(c.chainProblem);
        }
        std::fputs(text.toUtf8().constData(), stdout);
    }
    std::fflush(stdout);
    if (checks.empty()) {
        printError(Cli::tr("“%1” has no digital signatures").arg(QDir::toNativeSeparators(path)));
        return kExitFailed;
    }
    return allIntact ? kExitOk : kExitFailed;
}

int cmdCert(QStringList args)
{
    CommandLine parser(kCmdCert, "cert", kCertAbout, kCertNotes);
    if (const auto done = parser.parse(args))
        return *done;
    const QCommandLineOption& nameOpt = parser.option("name");
    const QCommandLineOption& outputOpt = parser.option("output");
    const QCommandLineOption& daysOpt = parser.option("days");
    const QCommandLineOption& passOpt = parser.option("password-file");
    const QStringList positional = parser.positionalArguments();
    if (positional != QStringList{QStringLiteral("new")}) {
        printError(positional.isEmpty() ? Cli::tr("missing what to do: plomet cert new")
                                        : Cli::tr("unexpected argument '%1'").arg(positional.constLast()));
        return kExitUsage;
    }
    if (parser.value(nameOpt).trimmed().isEmpty()) {
        printError(Cli::tr("missing --name NAME (the certificate's name)"));
        return kExitUsage;
    }
    if (parser.value(outputOpt).isEmpty()) {
        printError(Cli::tr("missing -o SEAL.p12 (the file to write)"));
        return kExitUsage;
    }
    int days = 365;
    if (parser.isSet(daysOpt)) {
        bool ok = false;
        days = parser.value(daysOpt).toInt(&ok);
        if (!ok || days < 1 || days > 36500) {
            printError(Cli::tr("--days wants a whole number from 1 to 36500, not '%1'").arg(parser.value(daysOpt)));
            return kExitUsage;
        }
    }
    std::optional<QByteArray> password = readPassword(parser.value(passOpt), true);
    if (!password)
        return parser.isSet(passOpt) ? kExitFailed : kExitUsage;
    try {
        const QByteArray p12 = makeSelfSignedP12(parser.value(nameOpt), *password, days);
        writeFileAtomically(parser.value(outputOpt), p12, Cli::tr("cannot write the file “%1”: %2"));
    } catch (const PlometError& e) {
        printError(e.message());
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace plomet
