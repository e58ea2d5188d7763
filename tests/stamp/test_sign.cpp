// Electronic seals through the real binary on real documents: poppler's
// pdfsig and `openssl cms -verify` judge the signatures, qpdf --check the
// files; appended updates keep earlier signatures valid, tampering shows,
// and every refusal leaves no output and the input as it was.
#include "TestUtil.h"
#include "../cli/CliRun.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using plomet::test::runPlomet;

namespace {

struct ToolRun {
    int code = -1;
    QString out;
};

ToolRun run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    ToolRun r;
    if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit)
        r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAll());
    return r;
}

// The red seal pixels of page 1 at 36 dpi.
int redPixels(const QString& pdf, int page = 1)
{
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("p"));
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("36"), QStringLiteral("-f"),
                                     QString::number(page), QStringLiteral("-l"), QString::number(page),
                                     QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, base});
    const QImage img = QImage(base + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y);
            n += qRed(c) > 150 && qGreen(c) < 110 && qBlue(c) < 110;
        }
    return n;
}

// The last signature's byte range, from the file's text.
QList<qint64> lastByteRange(const QByteArray& pdf)
{
    const QRegularExpression re(QStringLiteral("/ByteRange \\[(\\d+) (\\d+) (\\d+) (\\d+)\\]"));
    QList<qint64> r;
    auto it = re.globalMatch(QString::fromLatin1(pdf));
    while (it.hasNext()) {
        const auto m = it.next();
        r = {m.captured(1).toLongLong(), m.captured(2).toLongLong(), m.captured(3).toLongLong(),
             m.captured(4).toLongLong()};
    }
    return r;
}

bool lastXrefIsStream(const QByteArray& pdf)
{
    const qsizetype at = pdf.lastIndexOf("startxref");
    const qint64 offset = pdf.mid(at + 9, 30).trimmed().split('\n').first().toLongLong();
    return !pdf.mid(offset, 40).trimmed().startsWith("xref");
}

QJsonObject verifyJson(const QString& pdf, int* exitCode = nullptr)
{
    const auto r = runPlomet({QStringLiteral("verify"), pdf, QStringLiteral("--json")});
    if (exitCode)
        *exitCode = r.exitCode;
    return QJsonDocument::fromJson(r.out.toUtf8()).object();
}

class Sign : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        plomet::test::writeAll(path("pw"), "s3cret pass\n");
        const auto r = runPlomet({QStringLiteral("cert"), QStringLiteral("new"), QStringLiteral("--name"),
                                  QStringLiteral("北京测试科技有限公司"), QStringLiteral("-o"), path("seal.p12"),
                                  QStringLiteral("--password-file"), path("pw")});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        // The CUPS test page (a classic xref table), the same with object
        // and xref streams, a form, and a manual with xref streams.
        QFile::copy(QStringLiteral("/usr/share/cups/data/default-testpage.pdf"), path("testpage.pdf"));
        run(QStringLiteral("qpdf"), {QStringLiteral("--object-streams=generate"), path("testpage.pdf"),
                                     path("testpage-streams.pdf")});
        QFile::copy(QStringLiteral("/usr/share/cups/data/form_english.pdf"), path("form.pdf"));
        QFile::copy(QStringLiteral("/usr/share/doc/libtasn1-doc/libtasn1.pdf"), path("manual.pdf"));
    }
    static void TearDownTestSuite() { dir_.reset(); }
    static QString path(const char* name) { return dir_->filePath(QString::fromLatin1(name)); }

    static plomet::test::CliRun sign(const QString& in, const QString& out, const QStringList& more = {})
    {
        return runPlomet(QStringList{QStringLiteral("stamp"), in, QStringLiteral("-o"), out, QStringLiteral("--sign"),
                                     path("seal.p12"), QStringLiteral("--password-file"), path("pw")}
                         + (more.contains(QStringLiteral("--straddle")) || more.contains(QStringLiteral("--at"))
                                ? QStringList{}
                                                                        : QStringList{QStringLiteral("--at"),
                                                                                      QStringLiteral("80,90")})
                         + more);
    }

    static std::unique_ptr<QTemporaryDir> dir_;
};
std::unique_ptr<QTemporaryDir> Sign::dir_;

TEST_F(Sign, RealDocumentsSignedAsPadesByAnAppendedUpdate)
{
    const struct { const char* name; QStringList options; } rows[] = {
        {"testpage.pdf", {QStringLiteral("--reason"), QStringLiteral("同意"), QStringLiteral("--location"),
                          QStringLiteral("北京")}},
        {"testpage-streams.pdf", {QStringLiteral("--angle"), QStringLiteral("30")}},
        {"form.pdf", {QStringLiteral("--name"), QStringLiteral("公章")}},
        {"manual.pdf", {QStringLiteral("--page"), QStringLiteral("2")}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString in = path(row.name);
        const QString out = path("signed-out.pdf");
        const QByteArray before = plomet::test::readAll(in);
        ASSERT_FALSE(before.isEmpty());
        const auto r = sign(in, out, row.options);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QByteArray after = plomet::test::readAll(out);
        EXPECT_TRUE(after.startsWith(before));
        EXPECT_EQ(lastXrefIsStream(after), lastXrefIsStream(before));

        const ToolRun pdfsig = run(QStringLiteral("pdfsig"), {out});
        EXPECT_TRUE(pdfsig.out.contains(QStringLiteral("Signature is Valid."))) << pdfsig.out.toStdString();
        EXPECT_TRUE(pdfsig.out.contains(QStringLiteral("Signature Type: ETSI.CAdES.detached")));
        EXPECT_TRUE(pdfsig.out.contains(QStringLiteral("Total document signed")));
        EXPECT_TRUE(pdfsig.out.contains(QStringLiteral("Signer Certificate Common Name: 北京测试科技有限公司")));
        EXPECT_TRUE(pdfsig.out.contains(QStringLiteral("SHA-256")));
        if (row.options.contains(QStringLiteral("公章")))
            EXPECT_TRUE(pdfsig.out.contains(QStringLiteral("Signature Field Name: 公章")));
        const ToolRun check = run(QStringLiteral("qpdf"), {QStringLiteral("--check"), out});
        EXPECT_EQ(check.code, 0) << check.out.toStdString();

        // OpenSSL on the signed ranges and the signature cut out of the file.
        const QList<qint64> br = lastByteRange(after);
        ASSERT_EQ(br.size(), 4);
        EXPECT_EQ(br[2] + br[3], after.size());
        plomet::test::writeAll(path("ranges.bin"), after.left(br[1]) + after.mid(br[2], br[3]));
        plomet::test::writeAll(path("sig.der"), QByteArray::fromHex(after.mid(br[1] + 1, br[2] - br[1] - 2)));
        const ToolRun cms = run(QStringLiteral("openssl"),
                            {QStringLiteral("cms"), QStringLiteral("-verify"), QStringLiteral("-binary"),
                             QStringLiteral("-noverify"), QStringLiteral("-inform"), QStringLiteral("DER"),
                             QStringLiteral("-in"), path("sig.der"), QStringLiteral("-content"), path("ranges.bin"),
                             QStringLiteral("-out"), QStringLiteral("/dev/null")});
        EXPECT_EQ(cms.code, 0) << cms.out.toStdString();
        EXPECT_TRUE(cms.out.contains(QStringLiteral("Verification successful"))) << cms.out.toStdString();
        // CAdES: the signing certificate is among the signed attributes.
        const ToolRun asn = run(QStringLiteral("openssl"), {QStringLiteral("cms"), QStringLiteral("-cmsout"),
                                                        QStringLiteral("-print"), QStringLiteral("-inform"),
                                                        QStringLiteral("DER"), QStringLiteral("-in"), path("sig.der")});
        EXPECT_TRUE(asn.out.contains(QStringLiteral("id-smime-aa-signingCertificateV2"))) << asn.out.toStdString();

        // The appearance is the seal, where the plain stamp puts it.
        const int page = row.options.contains(QStringLiteral("2")) ? 2 : 1;
        EXPECT_GT(redPixels(out, page), 200);
        QStringList plainArgs{QStringLiteral("stamp"), in, QStringLiteral("-o"), path("plain.pdf"),
                              QStringLiteral("--at"), QStringLiteral("80,90")};
        for (const QString& o : {QStringLiteral("--page"), QStringLiteral("--angle")})
            if (const int i = row.options.indexOf(o); i >= 0)
                plainArgs << o << row.options.at(i + 1);
        ASSERT_EQ(runPlomet(plainArgs).exitCode, 0);
        const int plain = redPixels(path("plain.pdf"), page);
        EXPECT_NEAR(redPixels(out, page), plain, plain / 50 + 5);

        int code = -1;
        const QJsonObject v = verifyJson(out, &code);
        EXPECT_EQ(code, 0);
        const QJsonObject s = v[QStringLiteral("signatures")].toArray().last().toObject();
        EXPECT_TRUE(s[QStringLiteral("intact")].toBool());
        EXPECT_TRUE(s[QStringLiteral("wholeFile")].toBool());
        EXPECT_EQ(s[QStringLiteral("hash")].toString(), QStringLiteral("SHA256"));
        EXPECT_TRUE(s[QStringLiteral("signer")].toString().contains(QStringLiteral("CN=北京测试科技有限公司")));
        EXPECT_FALSE(s[QStringLiteral("chainValid")].toBool());   // self-signed
        QFile::remove(out);
    }
}

// A second signature and a plain stamp later: the first signature stays
// valid, now over a revision, and a cross-page seal signs too.
TEST_F(Sign, LaterUpdatesKeepEarlierSignaturesValid)
{
    const QString one = path("one.pdf"), two = path("two.pdf"), three = path("three.pdf"), four = path("four.pdf");
    ASSERT_EQ(sign(path("manual.pdf"), one).exitCode, 0);
    ASSERT_EQ(sign(one, two, {QStringLiteral("--at"), QStringLiteral("120,200")}).exitCode, 0);
    const auto plain = runPlomet({QStringLiteral("stamp"), two, QStringLiteral("-o"), three, QStringLiteral("--at"),
                                  QStringLiteral("50,250")});
    ASSERT_EQ(plain.exitCode, 0) << plain.err.toStdString();
    EXPECT_EQ(plain.err, QString());
    ASSERT_EQ(sign(three, four, {QStringLiteral("--straddle"), QStringLiteral("--page"), QStringLiteral("1-3")}).exitCode, 0);
    EXPECT_TRUE(plomet::test::readAll(three).startsWith(plomet::test::readAll(two)));
    EXPECT_TRUE(plomet::test::readAll(four).startsWith(plomet::test::readAll(three)));

    const ToolRun pdfsig = run(QStringLiteral("pdfsig"), {four});
    EXPECT_EQ(pdfsig.out.count(QStringLiteral("Signature is Valid.")), 3) << pdfsig.out.toStdString();
    EXPECT_EQ(pdfsig.out.count(QStringLiteral("Not total document signed")), 2);
    EXPECT_EQ(pdfsig.out.count(QStringLiteral("Total document signed")), 1);
    EXPECT_EQ(run(QStringLiteral("qpdf"), {QStringLiteral("--check"), four}).code, 0);
    // The straddle strips show at the right edge of each page.
    for (int page = 1; page <= 3; ++page)
        EXPECT_GT(redPixels(four, page), 20) << page;

    int code = -1;
    const QJsonArray sigs = verifyJson(four, &code)[QStringLiteral("signatures")].toArray();
    EXPECT_EQ(code, 0);
    ASSERT_EQ(sigs.size(), 3);
    EXPECT_EQ(sigs[0].toObject()[QStringLiteral("field")].toString(), QStringLiteral("Signature1"));
    EXPECT_EQ(sigs[1].toObject()[QStringLiteral("field")].toString(), QStringLiteral("Signature2"));
    EXPECT_EQ(sigs[0].toObject()[QStringLiteral("bytesAfter")].toInteger(),
              QFileInfo(four).size() - QFileInfo(one).size());
    for (const auto& s : sigs)
        EXPECT_TRUE(s.toObject()[QStringLiteral("intact")].toBool());

    // --force still rewrites a signed document whole, breaking it.
    const auto forced = runPlomet({QStringLiteral("stamp"), two, QStringLiteral("-o"), path("forced.pdf"),
                                   QStringLiteral("--at"), QStringLiteral("50,250"), QStringLiteral("--force")});
    EXPECT_EQ(forced.exitCode, 0);
    EXPECT_TRUE(forced.err.contains(QStringLiteral("no longer holds")));
    EXPECT_FALSE(run(QStringLiteral("pdfsig"), {path("forced.pdf")}).out.contains(QStringLiteral("Signature is Valid.")));
}

// Bytes flipped inside the signed ranges or inside the signature break it;
// bytes appended after it leave it intact but no longer over the whole file.
TEST_F(Sign, TamperingShows)
{
    const QString signedPdf = path("tamper-base.pdf");
    ASSERT_EQ(sign(path("testpage.pdf"), signedPdf, {QStringLiteral("--reason"), QStringLiteral("ABCDEF")}).exitCode, 0);
    const QByteArray good = plomet::test::readAll(signedPdf);
    const QList<qint64> br = lastByteRange(good);
    ASSERT_EQ(br.size(), 4);
    // The reason as UTF-16 hex: inside the second signed range.
    const qsizetype reason = good.lastIndexOf("00410042");
    ASSERT_GT(reason, br[2]);

    // The signature's value ends the DER, before the zeros that pad it.
    qsizetype value = br[2] - 2;
    while (good[value] == '0')
        --value;
    value -= 20;
    auto flip = [&](qsizetype at, char to) {
        QByteArray b = good;
        b[at] = to;
        return b;
    };
    const struct { const char* name; QByteArray bytes; int exitCode; bool intact; bool whole; } rows[] = {
        {"unchanged", good, 0, true, true},
        {"first range: in the original document", flip(br[1] / 2, good[br[1] / 2] == 'x' ? 'y' : 'x'), 1, false, true},
        {"second range: the reason", flip(reason + 3, '2'), 1, false, true},
        {"inside the signature's value", flip(value, good[value] == 'A' ? 'B' : 'A'), 1, false, true},
        {"appended after it", good + "% a later revision\n", 0, true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString file = path("tampered.pdf");
        plomet::test::writeAll(file, row.bytes);
        int code = -1;
        const QJsonObject v = verifyJson(file, &code);
        EXPECT_EQ(code, row.exitCode);
        const QJsonArray sigs = v[QStringLiteral("signatures")].toArray();
        ASSERT_EQ(sigs.size(), 1);
        EXPECT_EQ(sigs[0].toObject()[QStringLiteral("intact")].toBool(), row.intact);
        EXPECT_EQ(sigs[0].toObject()[QStringLiteral("wholeFile")].toBool(), row.whole);
        const ToolRun pdfsig = run(QStringLiteral("pdfsig"), {file});
        EXPECT_EQ(pdfsig.out.contains(QStringLiteral("Signature is Valid.")), row.intact) << pdfsig.out.toStdString();
    }
    // Trusting the signer's own certificate makes its chain valid.
    plomet::test::writeAll(path("sig.der"), QByteArray::fromHex(good.mid(br[1] + 1, br[2] - br[1] - 2)));
    run(QStringLiteral("openssl"), {QStringLiteral("pkcs7"), QStringLiteral("-inform"), QStringLiteral("DER"),
                                    QStringLiteral("-in"), path("sig.der"), QStringLiteral("-print_certs"),
                                    QStringLiteral("-out"), path("signer.pem")});
    const auto trusted = runPlomet({QStringLiteral("verify"), signedPdf, QStringLiteral("--trust"), path("signer.pem")});
    EXPECT_EQ(trusted.exitCode, 0);
    EXPECT_TRUE(trusted.out.contains(QStringLiteral("Certificate chain: trusted"))) << trusted.out.toStdString();
    EXPECT_TRUE(trusted.out.contains(QStringLiteral("Signer: CN=北京测试科技有限公司")));
}

// A document that cannot be checked at all still answers --json, with the
// reason, so a script reads one document whatever went wrong.
TEST_F(Sign, UncheckableDocumentsAnswerInJson)
{
    plomet::test::writeAll(path("damaged.pdf"), "%PDF-1.4\nnot a document at all\n");
    const struct { const char* name; QStringList args; const char* reason; } rows[] = {
        {"missing file", {path("nowhere.pdf")}, "cannot open the file"},
        {"damaged document", {path("damaged.pdf")}, "damaged"},
        {"missing trust file", {path("testpage.pdf"), QStringLiteral("--trust"), path("nowhere.pem")}, "nowhere.pem"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto r = runPlomet(QStringList{QStringLiteral("verify")} + row.args + QStringList{QStringLiteral("--json")});
        EXPECT_EQ(r.exitCode, 1);
        const QJsonObject v = QJsonDocument::fromJson(r.out.toUtf8()).object();
        ASSERT_FALSE(v.isEmpty()) << r.out.toStdString();
        EXPECT_FALSE(v[QStringLiteral("allIntact")].toBool(true));
        EXPECT_TRUE(v[QStringLiteral("signatures")].toArray().isEmpty());
        EXPECT_TRUE(v[QStringLiteral("error")].toString().contains(QLatin1String(row.reason)))
            << v[QStringLiteral("error")].toString().toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String(row.reason))) << r.err.toStdString();
    }
}

TEST_F(Sign, Refusals)
{
    const QString src = path("testpage.pdf");
    auto tool = [&](const QString& program, const QStringList& args) { return run(program, args).code; };
    // An expired certificate, one only for encryption, a key file that is
    // not PKCS#12.
    const QString key = path("k.pem");
    tool(QStringLiteral("openssl"), {QStringLiteral("genrsa"), QStringLiteral("-out"), key, QStringLiteral("2048")});
    tool(QStringLiteral("openssl"), {QStringLiteral("req"), QStringLiteral("-new"), QStringLiteral("-key"), key,
                                     QStringLiteral("-subj"), QStringLiteral("/CN=x"), QStringLiteral("-out"), path("r.csr")});
    tool(QStringLiteral("openssl"), {QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), path("r.csr"),
                                     QStringLiteral("-key"), key, QStringLiteral("-days"), QStringLiteral("-1"),
                                     QStringLiteral("-out"), path("old.pem")});
    plomet::test::writeAll(path("enc.ext"), "keyUsage=critical,keyEncipherment\n");
    tool(QStringLiteral("openssl"), {QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), path("r.csr"),
                                     QStringLiteral("-key"), key, QStringLiteral("-days"), QStringLiteral("30"),
                                     QStringLiteral("-extfile"), path("enc.ext"), QStringLiteral("-out"), path("enc.pem")});
    for (const char* name : {"old", "enc"})
        tool(QStringLiteral("openssl"),
             {QStringLiteral("pkcs12"), QStringLiteral("-export"), QStringLiteral("-inkey"), key, QStringLiteral("-in"),
              path(name) + QStringLiteral(".pem"), QStringLiteral("-passout"), QStringLiteral("file:") + path("pw"),
              QStringLiteral("-out"), path(name) + QStringLiteral(".p12")});
    plomet::test::writeAll(path("wrong-pw"), "not it\n");
    tool(QStringLiteral("qpdf"), {QStringLiteral("--encrypt"), QString(), QStringLiteral("owner"), QStringLiteral("256"),
                                  QStringLiteral("--"), src, path("encrypted.pdf")});
    // Damaged: the cross-reference offset is wrong (qpdf repairs it, but an
    // update cannot be appended to what the reader would have to guess).
    {
        QByteArray bytes = plomet::test::readAll(src);
        bytes.truncate(bytes.lastIndexOf("startxref"));
        plomet::test::writeAll(path("damaged.pdf"), bytes + "startxref\n123\n%%EOF\n");
    }
    ASSERT_TRUE(QFileInfo::exists(path("old.p12")) && QFileInfo::exists(path("enc.p12")));

    const struct { const char* name; QString in; QString p12; QString pw; const char* message; } rows[] = {
        {"wrong password", src, path("seal.p12"), path("wrong-pw"), "password of the certificate"},
        {"not PKCS#12", src, key, path("pw"), "is not a PKCS#12"},
        {"expired", src, path("old.p12"), path("pw"), "expired"},
        {"not for signing", src, path("enc.p12"), path("pw"), "is not meant for signing"},
        {"encrypted document", path("encrypted.pdf"), path("seal.p12"), path("pw"), "the file is encrypted"},
        {"damaged document", path("damaged.pdf"), path("seal.p12"), path("pw"), "cannot take an incremental update"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray input = plomet::test::readAll(row.in);
        const QString out = path("refused.pdf");
        const auto r = runPlomet({QStringLiteral("stamp"), row.in, QStringLiteral("-o"), out, QStringLiteral("--at"),
                                  QStringLiteral("50,50"), QStringLiteral("--sign"), row.p12,
                                  QStringLiteral("--password-file"), row.pw});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(row.message))) << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(out));
        EXPECT_EQ(plomet::test::readAll(row.in), input);
    }

    // The password from the environment; without any, a clear refusal.
    qputenv("PLOMET_P12_PASSWORD", "s3cret pass");
    EXPECT_EQ(runPlomet({QStringLiteral("stamp"), src, QStringLiteral("-o"), path("env.pdf"), QStringLiteral("--at"),
                         QStringLiteral("50,50"), QStringLiteral("--sign"), path("seal.p12")}).exitCode, 0);
    qunsetenv("PLOMET_P12_PASSWORD");
    EXPECT_TRUE(run(QStringLiteral("pdfsig"), {path("env.pdf")}).out.contains(QStringLiteral("Signature is Valid.")));
    const auto none = runPlomet({QStringLiteral("stamp"), src, QStringLiteral("-o"), path("none.pdf"),
                                 QStringLiteral("--at"), QStringLiteral("50,50"), QStringLiteral("--sign"), path("seal.p12")});
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_TRUE(none.err.contains(QStringLiteral("PLOMET_P12_PASSWORD")));
    EXPECT_FALSE(QFileInfo::exists(path("none.pdf")));

    // verify: a document without signatures is not a success.
    const auto unsignedDoc = runPlomet({QStringLiteral("verify"), src}, true, "zh_CN.UTF-8");
    EXPECT_EQ(unsignedDoc.exitCode, 1);
    EXPECT_TRUE(unsignedDoc.err.contains(QStringLiteral("没有数字签名")));
}

TEST_F(Sign, CertificateHelpSaysSelfSigned)
{
    const auto help = runPlomet({QStringLiteral("cert"), QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("SELF-SIGNED")));
    EXPECT_TRUE(help.out.contains(QStringLiteral("NOT")));
    const ToolRun info = run(QStringLiteral("openssl"),
                         {QStringLiteral("pkcs12"), QStringLiteral("-in"), path("seal.p12"), QStringLiteral("-nokeys"),
                          QStringLiteral("-passin"), QStringLiteral("file:") + path("pw")});
    plomet::test::writeAll(path("cert.pem"), info.out.toUtf8());
    const ToolRun text = run(QStringLiteral("openssl"), {QStringLiteral("x509"), QStringLiteral("-in"), path("cert.pem"),
                                                     QStringLiteral("-noout"), QStringLiteral("-text"),
                                                     QStringLiteral("-nameopt"), QStringLiteral("utf8")});
    EXPECT_TRUE(text.out.contains(QStringLiteral("CN=北京测试科技有限公司")) || text.out.contains(QStringLiteral("CN = 北京测试科技有限公司")))
        << text.out.toStdString();
    EXPECT_TRUE(text.out.contains(QStringLiteral("Digital Signature, Non Repudiation")));
}

// A time-stamping service on loopback: each POST's body goes to
// `openssl ts -reply`, its answer back.
class LoopbackTsa {
public:
    explicit LoopbackTsa(const QString& dir) : dir_(dir)
    {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (bind(fd_, reinterpret_cast<sockaddr*>(&addr), len) != 0 || listen(fd_, 4) != 0
            || getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
            return;
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~LoopbackTsa()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        close(fd_);
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/tsa").arg(port_); }
    int requests() const { return requests_; }

private:
    void serve()
    {
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0)
                continue;
            const int c = accept(fd_, nullptr, nullptr);
            if (c < 0)
                continue;
            QByteArray in;
            char buf[4096];
            qsizetype need = -1;
            while (in.size() < 65536) {
                const ssize_t n = read(c, buf, sizeof buf);
                if (n <= 0)
                    break;
                in.append(buf, n);
                const qsizetype end = in.indexOf("\r\n\r\n");
                if (end >= 0 && need < 0) {
                    const QByteArray head = in.left(end).toLower();
                    const qsizetype at = head.indexOf("content-length:");
                    need = end + 4 + (at >= 0 ? head.mid(at + 15).split('\r').first().trimmed().toLongLong() : 0);
                }
                if (need >= 0 && in.size() >= need)
                    break;
            }
            const QString query = dir_ + QStringLiteral("/q.tsq"), reply = dir_ + QStringLiteral("/r.tsr");
            plomet::test::writeAll(query, in.mid(in.indexOf("\r\n\r\n") + 4));
            const QByteArray command = QStringLiteral("openssl ts -reply -config %1/tsa.cnf -queryfile %2 -out %3 2>/dev/null")
                                           .arg(dir_, query, reply).toLocal8Bit();
            const QByteArray body = std::system(command.constData()) == 0 ? plomet::test::readAll(reply) : QByteArray();
            const QByteArray out = "HTTP/1.1 200 OK\r\nContent-Type: application/timestamp-reply\r\nContent-Length: "
                                 + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
            (void)!write(c, out.constData(), static_cast<size_t>(out.size()));
            close(c);
            ++requests_;
        }
    }

    QString dir_;
    int fd_ = -1;
    int port_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<int> requests_{0};
};

// --tsa: the signature carries the service's token over its value (PAdES
// B-T) and stays valid; a service that gives none is a refusal.
TEST_F(Sign, TimeStampFromALoopbackService)
{
    const QString d = dir_->path();
    ASSERT_EQ(run(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                   QStringLiteral("-nodes"), QStringLiteral("-keyout"), d + QStringLiteral("/tsa.key"),
                   QStringLiteral("-out"), d + QStringLiteral("/tsa.pem"), QStringLiteral("-subj"),
                   QStringLiteral("/CN=Test TSA"), QStringLiteral("-days"), QStringLiteral("30"),
                   QStringLiteral("-addext"), QStringLiteral("extendedKeyUsage=critical,timeStamping")}).code, 0);
    plomet::test::writeAll(d + QStringLiteral("/serial"), "01\n");
    plomet::test::writeAll(d + QStringLiteral("/tsa.cnf"),
                           QStringLiteral("[ tsa ]\ndefault_tsa = t\n[ t ]\nserial = %1/serial\nsigner_cert = %1/tsa.pem\n"
                                          "certs = %1/tsa.pem\nsigner_key = %1/tsa.key\nsigner_digest = sha256\n"
                                          "default_policy = 1.2.3.4.1\ndigests = sha256\ness_cert_id_alg = sha256\n")
                               .arg(d).toLocal8Bit());
    LoopbackTsa tsa(d);
    const QString out = path("stamped-time.pdf");
    const auto r = sign(path("testpage.pdf"), out, {QStringLiteral("--tsa"), tsa.url()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(tsa.requests(), 1);
    EXPECT_TRUE(run(QStringLiteral("pdfsig"), {out}).out.contains(QStringLiteral("Signature is Valid.")));
    const QByteArray bytes = plomet::test::readAll(out);
    const QList<qint64> br = lastByteRange(bytes);
    ASSERT_EQ(br.size(), 4);
    plomet::test::writeAll(path("ts.der"), QByteArray::fromHex(bytes.mid(br[1] + 1, br[2] - br[1] - 2)));
    const ToolRun asn = run(QStringLiteral("openssl"), {QStringLiteral("cms"), QStringLiteral("-cmsout"),
                                                        QStringLiteral("-print"), QStringLiteral("-inform"),
                                                        QStringLiteral("DER"), QStringLiteral("-in"), path("ts.der")});
    EXPECT_TRUE(asn.out.contains(QStringLiteral("id-smime-aa-timeStampToken"))) << asn.out.toStdString();
    EXPECT_TRUE(asn.out.contains(QStringLiteral("Test TSA")));
    EXPECT_EQ(runPlomet({QStringLiteral("verify"), out}).exitCode, 0);

    // A service that answers without a token (its configuration is not
    // there).
    LoopbackTsa broken(d + QStringLiteral("/nowhere"));
    const QString never = path("never-time.pdf");
    const auto refused = sign(path("testpage.pdf"), never, {QStringLiteral("--tsa"), broken.url()});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("gave no time stamp"))) << refused.err.toStdString();
    EXPECT_EQ(refused.err.count(QLatin1Char('\n')), 1) << refused.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(never));
}

} // namespace
