// plomet serve through the real program on a free loopback port: the same
// bytes as plomet render, every failure status with its JSON, slow and
// malformed clients, and SIGTERM while requests are in flight.
#include "seal/SettingText.h"

#include "Language.h"
#include "TestUtil.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

// One `plomet serve --port 0`; its stderr goes to a file, from which the
// port it listens on is read.
class Serve {
public:
    // `locale` is the server's (LC_ALL): its answers speak its language.
    explicit Serve(const QStringList& options = {}, const char* locale = "C")
    {
        logPath_ = dir_.filePath(QStringLiteral("serve.log"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.path());
        env.insert(QStringLiteral("LC_ALL"), QString::fromLatin1(locale));
        process_.setProcessEnvironment(env);
        process_.setStandardErrorFile(logPath_);
        process_.start(QStringLiteral(PLOMET_CLI_PATH), QStringList{QStringLiteral("serve"), QStringLiteral("--port"),
                                                                    QStringLiteral("0")} + options);
        static const QRegularExpression serving(QStringLiteral("serving on http://127\\.0\\.0\\.1:(\\d+)"));
        const QDeadlineTimer deadline(30000);
        while (!deadline.hasExpired() && process_.state() != QProcess::NotRunning) {
            const auto m = serving.match(log());
            if (m.hasMatch()) {
                port_ = m.captured(1).toInt();
                return;
            }
            process_.waitForFinished(20);
        }
    }
    ~Serve()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(10000);
        }
    }
    int port() const { return port_; }
    QString log() const
    {
        QFile f(logPath_);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    httplib::Client client() const
    {
        httplib::Client c("127.0.0.1", port_);
        c.set_read_timeout(60, 0);
        return c;
    }
    void terminate() { ::kill(pid_t(process_.processId()), SIGTERM); }
    // The exit code once it ended, -1 when it did not end normally in time.
    int waitForExit()
    {
        if ((process_.state() != QProcess::NotRunning && !process_.waitForFinished(60000))
            || process_.exitStatus() != QProcess::NormalExit)
            return -1;
        return process_.exitCode();
    }
    // Whether the log comes to hold `text` (a line is written once its
    // answer has gone out).
    bool logs(const QString& text)
    {
        for (const QDeadlineTimer deadline(10000); !deadline.hasExpired(); process_.waitForFinished(20))
            if (log().contains(text))
                return true;
        return false;
    }
    const QTemporaryDir& dir() const { return dir_; }

private:
    QTemporaryDir dir_;
    QString logPath_;
    QProcess process_;
    int port_ = 0;
};

QByteArray runRender(const QTemporaryDir& dir, const QString& format, const QStringList& options)
{
    const QString out = dir.filePath(QStringLiteral("cli.") + format);
    QFile::remove(out);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(PLOMET_CLI_PATH), QStringList{QStringLiteral("render"), QStringLiteral("-o"), out} + options);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QByteArray();
    QFile f(out);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A PDF records when it was written; the rest must be equal.
QByteArray withoutCreationDate(QByteArray bytes)
{
    static const QRegularExpression date(QStringLiteral("/CreationDate \\(D:[0-9]+"));
    return QString::fromLatin1(bytes).replace(date, QStringLiteral("/CreationDate (D:")).toLatin1();
}

// Sends raw bytes on a new connection (a byte at a time, `gap` apart, when
// gap > 0) and returns what comes back up to the end of the first answer
// (its headers and Content-Length bytes) or until the server closes.
std::string exchange(int port, const std::string& request, std::chrono::milliseconds gap = {})
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(uint16_t(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval timeout{30, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::string answer;
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        if (gap.count() > 0) {
            for (char c : request) {
                if (send(fd, &c, 1, MSG_NOSIGNAL) != 1)
                    break;
                // The server may answer before the request is all sent.
                pollfd answer{fd, POLLIN, 0};
                if (poll(&answer, 1, int(gap.count())) > 0)
                    break;
            }
        } else {
            send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        }
        char buffer[65536];
        for (;;) {
            const size_t end = answer.find("\r\n\r\n");
            if (end != std::string::npos) {
                const size_t length = answer.find("Content-Length: ");
                const size_t body = length == std::string::npos || length > end
                    ? 0 : std::stoul(answer.substr(length + 16));
                if (answer.size() >= end + 4 + body)
                    break;
            }
            const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            answer.append(buffer, size_t(n));
        }
    }
    close(fd);
    return answer;
}

int statusOf(const std::string& answer)
{
    return answer.rfind("HTTP/1.1 ", 0) == 0 ? std::atoi(answer.c_str() + 9) : 0;
}

QJsonObject jsonBody(const std::string& body)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(body)).object();
}

TEST(Serve, AnswersTheBytesOfRenderWhateverItDrewBefore)
{
    Serve serve;
    ASSERT_GT(serve.port(), 0) << serve.log().toStdString();
    struct Row {
        const char* format;
        const char* query;
        QStringList options;
    } rows[] = {
        {"png", "rText=Tervin%E7%A7%91%E6%8A%80%E6%9C%89%E9%99%90%E5%85%AC%E5%8F%B8&dpi=300&transparent=true",
         {"--set", "rText=Tervin科技有限公司", "--dpi", "300", "--transparent"}},
        {"bmp", "preset=%E5%90%88%E5%90%8C%E4%B8%93%E7%94%A8%E7%AB%A0&rtext=Qorvel%E8%BD%AF%E4%BB%B6&dpi=150",
         {"--preset", "合同专用章", "--set", "rText=Qorvel软件", "--dpi", "150"}},
        {"svg", "FontBold=True&Space=0&pText1=%E5%90%88%E5%90%8C%E4%B8%93%E7%94%A8%E7%AB%A0",
         {"--set", "FontBold=True", "--set", "Space=0", "--set", "pText1=合同专用章"}},
        {"pdf", "Width=42mm&Height=42mm&ForeColor=%23C00000",
         {"--set", "Width=42mm", "--set", "Height=42mm", "--set", "ForeColor=#C00000"}},
        {"png", "Aging=50&AgingSeed=7&dpi=120", {"--set", "Aging=50", "--set", "AgingSeed=7", "--dpi", "120"}},
    };
    httplib::Client client = serve.client();
    // Forwards, then backwards: each seal follows other seals on the
    // server's threads, and is still what a lone render draws.
    std::vector<std::string> first;
    for (const Row& r : rows) {
        const auto res = client.Get(std::string("/seal.") + r.format + "?" + r.query);
        ASSERT_TRUE(res);
        ASSERT_EQ(res->status, 200) << r.query << " " << res->body;
        EXPECT_EQ(res->get_header_value("Content-Type"),
                  std::string(r.format[0] == 'p' && r.format[1] == 'd' ? "application/pdf"
                              : r.format[0] == 's' ? "image/svg+xml" : std::string("image/") + r.format));
        first.push_back(res->body);
    }
    for (size_t i = std::size(rows); i-- > 0;) {
        const Row& r = rows[i];
        const auto res = client.Get(std::string("/seal.") + r.format + "?" + r.query);
        ASSERT_TRUE(res);
        const QByteArray cli = runRender(serve.dir(), QLatin1String(r.format), r.options);
        ASSERT_FALSE(cli.isEmpty()) << r.query;
        EXPECT_EQ(withoutCreationDate(QByteArray::fromStdString(res->body)), withoutCreationDate(cli)) << r.query;
        EXPECT_EQ(withoutCreationDate(QByteArray::fromStdString(first[i])), withoutCreationDate(cli)) << r.query;
    }
    // The JSON body asks for the same seal as the first row.
    const auto res = client.Post("/render",
                                 R"({"properties": {"rText": "Tervin科技有限公司"}, "format": "png", "dpi": 300,)"
                                 R"( "transparent": true})",
                                 "application/json");
    ASSERT_TRUE(res);
    ASSERT_EQ(res->status, 200) << res->body;
    EXPECT_EQ(res->body, first[0]);
    // A log line per request: client, method, path, status, bytes, ms.
    EXPECT_TRUE(serve.logs(QStringLiteral("127.0.0.1 POST /render 200 %1 ").arg(first[0].size())))
        << serve.log().toStdString();
}

// Concurrent connections log without a lock between them: each request is
// still one whole line, none lost and none run into another.
TEST(Serve, ConcurrentRequestsLogWholeLines)
{
    Serve serve({"--threads", "2"});
    ASSERT_GT(serve.port(), 0) << serve.log().toStdString();
    constexpr int kClients = 8, kEach = 25;
    std::atomic<int> ok{0};
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c)
        clients.emplace_back([&, c] {
            httplib::Client client = serve.client();
            for (int i = 0; i < kEach; ++i) {
                // Paths of different lengths, so that a torn line would show.
                const auto res = i % 2 ? client.Get("/health")
                                       : client.Get("/seal.svg?rText=C" + std::to_string(c * 100 + i));
                if (res && res->status == 200)
                    ++ok;
            }
        });
    for (auto& t : clients)
        t.join();
    ASSERT_EQ(ok.load(), kClients * kEach);
    static const QRegularExpression line(
        QStringLiteral("^plomet: 127\\.0\\.0\\.1 GET (/health|/seal\\.svg) 200 [0-9]+ [0-9]+\\.[0-9] ms$"));
    int requests = 0;
    // Every line is written once its answer has gone out, so all are there
    // once the last one is.
    for (const QDeadlineTimer deadline(10000); !deadline.hasExpired() && requests < kClients * kEach;) {
        requests = 0;
        for (const QString& l : serve.log().split(QLatin1Char('\n')))
            requests += l.startsWith(QLatin1String("plomet: 127.")) ? 1 : 0;
        if (requests < kClients * kEach)
            QThread::msleep(10);
    }
    const QStringList lines = serve.log().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    int matched = 0;
    for (const QString& l : lines) {
        if (l.startsWith(QLatin1String("plomet: serving on")))
            continue;
        EXPECT_TRUE(line.match(l).hasMatch()) << l.toStdString();
        ++matched;
    }
    EXPECT_EQ(matched, kClients * kEach);
}

TEST(Serve, RefusesWithTheStatusAndTheProperty)
{
    // Under C and under zh_CN: the same statuses, each reason in the
    // server's one language.
    for (const char* locale : {"C", "zh_CN.UTF-8"}) {
        SCOPED_TRACE(locale);
        const bool chinese = qstrcmp(locale, "C") != 0;
        Serve serve({"--max-body", "100K"}, locale);
        ASSERT_GT(serve.port(), 0) << serve.log().toStdString();
        const std::string pdf = runRender(serve.dir(), QStringLiteral("pdf"), {}).toStdString();
        ASSERT_FALSE(pdf.empty());
        struct Row {
            const char* method;
            const char* target;
            std::string body;
            int status;
            const char* property;   // nullptr: the JSON's property is null
        } rows[] = {
            {"GET", "/seal.png?FontSize=abc", "", 400, "FontSize"},
            {"GET", "/seal.png?Nope=1", "", 400, "Nope"},
            {"GET", "/seal.png?dpi=-300", "", 400, "dpi"},
            {"GET", "/seal.png?dpi=0", "", 400, "dpi"},
            {"GET", "/seal.png?dpi=90000", "", 400, "dpi"},          // too many pixels for a shared server
            {"GET", "/seal.png?Width=2000mm&Height=2000mm&dpi=300", "", 400, "dpi"},
            {"GET", "/seal.png?Width=-5", "", 400, nullptr},
            {"GET", "/seal.png?preset=nope", "", 400, "preset"},
            {"GET", "/seal.png?rText=%FF%FE", "", 400, "rText"},     // not UTF-8
            {"GET", "/seal.png?rText=a&RTEXT=b", "", 400, "RTEXT"},
            {"GET", "/seal.png?transparent=maybe", "", 400, "transparent"},
            {"GET", "/seal.gif", "", 404, nullptr},
            {"GET", "/nothing", "", 404, nullptr},
            {"POST", "/seal.png", "x", 405, nullptr},
            {"GET", "/render", "", 405, nullptr},
            {"DELETE", "/health", "", 405, nullptr},
            {"PUT", "/stamp", "x", 405, nullptr},
            {"POST", "/render", "{bad", 400, nullptr},
            {"POST", "/render", "[1, 2]", 400, nullptr},
            {"POST", "/render", R"({"dpi": "300"})", 400, "dpi"},
            {"POST", "/render", R"({"dpi": -1})", 400, "dpi"},
            {"POST", "/render", R"({"format": "gif"})", 400, "format"},
            {"POST", "/render", R"({"colour": 1})", 400, "colour"},
            {"POST", "/render", R"({"properties": {"FontSize": [1]}})", 400, "FontSize"},
            {"POST", "/render", R"({"properties": {"FontSize": 1e400}})", 400, nullptr},
            {"POST", "/render", std::string("{\"properties\": {\"rText\": \"\xff\xfe\"}}"), 400, nullptr},
            {"POST", "/render", std::string(70000, ' '), 413, nullptr},
            {"POST", "/stamp", pdf, 400, "at"},
            {"POST", "/stamp?at=20,20&dpi=300", pdf, 400, "dpi"},
            {"POST", "/stamp?at=20,x", pdf, 400, "at"},
            {"POST", "/stamp?at=20,20", "not a PDF", 400, nullptr},
            {"POST", "/stamp?at=20,20", std::string(120000, '%'), 413, nullptr},
        };
        httplib::Client client = serve.client();
        for (const Row& r : rows) {
            httplib::Request req;
            req.method = r.method;
            req.path = r.target;
            req.body = r.body;
            if (!r.body.empty())
                req.set_header("Content-Type", "application/octet-stream");
            const auto res = client.send(req);
            ASSERT_TRUE(res) << r.method << " " << r.target;
            EXPECT_EQ(res->status, r.status) << r.method << " " << r.target << " " << res->body;
            EXPECT_EQ(res->get_header_value("Content-Type"), "application/json") << r.target;
            const QJsonObject o = jsonBody(res->body);
            const QString error = o.value(QStringLiteral("error")).toString();
            EXPECT_FALSE(error.isEmpty()) << r.target << " " << res->body;
            if (chinese) {
                EXPECT_NE(plomet::test::chineseLeft(error).toStdString(), "") << r.target << " " << res->body;
                EXPECT_EQ(plomet::test::englishSentence(error).toStdString(), "") << r.target << " " << res->body;
            } else {
                EXPECT_EQ(plomet::test::chineseLeft(error).toStdString(), "") << r.target << " " << res->body;
            }
            if (r.property)
                EXPECT_EQ(o.value(QStringLiteral("property")).toString(), QLatin1String(r.property)) << r.target;
            else
                EXPECT_TRUE(o.value(QStringLiteral("property")).isNull()) << r.target << " " << res->body;
            if (r.status == 405)
                EXPECT_FALSE(res->get_header_value("Allow").empty()) << r.target;
        }
        // And what it takes, on the same server.
        const auto stamped = client.Post("/stamp?at=20,20&angle=-8&rText=Qorvel", pdf, "application/pdf");
        ASSERT_TRUE(stamped);
        EXPECT_EQ(stamped->status, 200) << stamped->body;
        const auto health = client.Get("/health");
        ASSERT_TRUE(health);
        EXPECT_EQ(jsonBody(health->body).value(QStringLiteral("status")).toString(), QStringLiteral("ok"));
    }
}

TEST(Serve, StampsTheDocumentInTheBody)
{
    Serve serve;
    ASSERT_GT(serve.port(), 0) << serve.log().toStdString();
    const std::string pdf = runRender(serve.dir(), QStringLiteral("pdf"), {"--set", "Width=200mm", "--set",
                                                                            "Height=280mm", "--set", "ShowStar=False",
                                                                            "--set", "rText="}).toStdString();
    ASSERT_FALSE(pdf.empty());
    httplib::Client client = serve.client();
    const auto res = client.Post("/stamp?at=60,60&angle=-8&rText=Qorvel%E8%BD%AF%E4%BB%B6", pdf, "application/pdf");
    ASSERT_TRUE(res);
    ASSERT_EQ(res->status, 200) << res->body;
    EXPECT_EQ(res->get_header_value("Content-Type"), "application/pdf");
    EXPECT_EQ(res->body.rfind("%PDF-", 0), 0u);
    EXPECT_GT(res->body.size(), pdf.size());   // the seal went in
    // A cross-page seal with its own keys; the wrong key for it is refused.
    const auto straddle = client.Post("/stamp?straddle=true&at-y=100", pdf, "application/pdf");
    ASSERT_TRUE(straddle);
    EXPECT_EQ(straddle->status, 200) << straddle->body;
    const auto wrong = client.Post("/stamp?at=60,60&edge=left", pdf, "application/pdf");
    ASSERT_TRUE(wrong);
    EXPECT_EQ(wrong->status, 400);
    EXPECT_EQ(jsonBody(wrong->body).value(QStringLiteral("property")).toString(), QStringLiteral("edge"));
}

// A server started with a key signs what it stamps; the password comes from
// a file, never from a client; a wrong one stops the server before it listens.
TEST(Serve, SignsWithTheKeyItWasStartedWith)
{
    QTemporaryDir keys;
    const QString p12 = keys.filePath(QStringLiteral("seal.p12"));
    const QString password = keys.filePath(QStringLiteral("password"));
    const QString wrong = keys.filePath(QStringLiteral("wrong"));
    ASSERT_TRUE(plomet::test::writeAll(password, "secret\n"));
    ASSERT_TRUE(plomet::test::writeAll(wrong, "not it\n"));
    QProcess cert;
    cert.start(QStringLiteral(PLOMET_CLI_PATH), {QStringLiteral("cert"), QStringLiteral("new"), QStringLiteral("--name"),
                                                 QStringLiteral("服务测试有限公司"), QStringLiteral("-o"), p12,
                                                 QStringLiteral("--password-file"), password});
    ASSERT_TRUE(cert.waitForFinished(60000));
    ASSERT_EQ(cert.exitCode(), 0) << cert.readAllStandardError().toStdString();

    {
        Serve refused({QStringLiteral("--sign"), p12, QStringLiteral("--password-file"), wrong});
        EXPECT_EQ(refused.port(), 0);
        EXPECT_EQ(refused.waitForExit(), 1);
        EXPECT_TRUE(refused.log().contains(QStringLiteral("seal.p12"))) << refused.log().toStdString();
    }
    Serve serve({QStringLiteral("--sign"), p12, QStringLiteral("--password-file"), password, QStringLiteral("--reason"),
                 QStringLiteral("合同")});
    ASSERT_GT(serve.port(), 0) << serve.log().toStdString();
    const std::string pdf = runRender(serve.dir(), QStringLiteral("pdf"), {"--set", "Width=200mm", "--set",
                                                                            "Height=280mm", "--set", "rText="})
                                .toStdString();
    ASSERT_FALSE(pdf.empty());
    httplib::Client client = serve.client();
    const auto res = client.Post("/stamp?at=60,60&rText=Qorvel", pdf, "application/pdf");
    ASSERT_TRUE(res);
    ASSERT_EQ(res->status, 200) << res->body;
    const QString signedPdf = serve.dir().filePath(QStringLiteral("signed.pdf"));
    ASSERT_TRUE(plomet::test::writeAll(signedPdf, QByteArray::fromStdString(res->body)));
    QProcess pdfsig;
    pdfsig.start(QStringLiteral("pdfsig"), {signedPdf});
    ASSERT_TRUE(pdfsig.waitForFinished(60000));
    const QString out = QString::fromUtf8(pdfsig.readAllStandardOutput());
    EXPECT_TRUE(out.contains(QStringLiteral("Signature is Valid."))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Total document signed")));
    EXPECT_TRUE(out.contains(QStringLiteral("服务测试有限公司")));
    EXPECT_FALSE(serve.log().contains(QStringLiteral("secret")));
}

TEST(Serve, ListsThePropertyTable)
{
    // The names as they are typed; the words about them in the server's language.
    const struct {
        const char* locale;
        const char* fontNameMeaning;
    } runs[] = {{"C", "face of the company name, the sign and the lower lines"},
                {"zh_CN.UTF-8", "公司名称、标志和下方各行的字体"}};
    for (const auto& run : runs) {
        Serve serve({}, run.locale);
        ASSERT_GT(serve.port(), 0) << serve.log().toStdString();
        const auto res = serve.client().Get("/properties");
        ASSERT_TRUE(res);
        ASSERT_EQ(res->status, 200);
        QStringList names;
        QString meaning;
        for (const QJsonValue& v : jsonBody(res->body).value(QStringLiteral("properties")).toArray()) {
            names << v.toObject().value(QStringLiteral("name")).toString();
            if (names.constLast() == QLatin1String("FontName"))
                meaning = v.toObject().value(QStringLiteral("meaning")).toString();
        }
        EXPECT_EQ(names, plomet::settingNames()) << run.locale;
        EXPECT_EQ(meaning, QString::fromUtf8(run.fontNameMeaning)) << run.locale;
    }
}

TEST(Serve, BusyIs503)
{
    // One drawing thread and no room to wait: while it draws large seals
    // back to back, another request is turned away at once.
    Serve serve({"--threads", "1", "--queue", "0", "--quiet"});
    ASSERT_GT(serve.port(), 0) << serve.log().toStdString();
    std::atomic<bool> done{false};
    std::atomic<int> drawn{0};
    std::thread heavy([&] {
        httplib::Client client = serve.client();
        const QDeadlineTimer deadline(30000);
        for (int i = 0; (!done || drawn == 0) && !deadline.hasExpired(); ++i) {
            const auto res = client.Get("/seal.png?dpi=2800&AgingSeed=" + std::to_string(i));
            if (res && res->status == 200)
                ++drawn;
        }
    });
    httplib::Client client = serve.client();
    std::string busy;
    for (int i = 0; i < 400 && busy.empty(); ++i) {
        const auto res = client.Get("/seal.png");
        if (res && res->status == 503)
            busy = res->body;
    }
    done = true;
    heavy.join();
    EXPECT_FALSE(busy.empty()) << "never busy";
    EXPECT_TRUE(jsonBody(busy).value(QStringLiteral("error")).toString().contains(QStringLiteral("busy"))) << busy;
    EXPECT_GT(drawn.load(), 0);
}

TEST(Serve, ASlowClientDoesNotHoldUpOthers)
{
    Serve serve({"--threads", "1", "--read-timeout", "1"});
    ASSERT_GT(serve.port(), 0) << serve.log().toStdString();
    std::atomic<bool> slowSent{false};
    std::string slowAnswer;
    std::thread slow([&] {
        // About 2 s for the request, a byte every 20 ms.
        slowAnswer = exchange(serve.port(),
                              "GET /seal.png?rText=Slow&dpi=100 HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                              "User-Agent: one-byte-at-a-time\r\nConnection: close\r\n\r\n",
                              std::chrono::milliseconds(20));
        slowSent = true;
    });
    httplib::Client client = serve.client();
    int answered = 0;
    for (int i = 0; i < 10; ++i) {
        const auto res = client.Get("/seal.png?dpi=100&rText=Fast" + std::to_string(i));
        if (res && res->status == 200 && !slowSent)
            ++answered;
    }
    EXPECT_EQ(answered, 10) << "the others waited for the slow client";
    slow.join();
    EXPECT_EQ(statusOf(slowAnswer), 200) << slowAnswer.substr(0, 200);

    // A body that trickles in longer than its limit (4 x the read timeout)
    // is cut off with 408.
    std::string trickle = "POST /render HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 100\r\n\r\n";
    trickle += std::string(100, ' ');
    const auto start = std::chrono::steady_clock::now();
    const std::string late = exchange(serve.port(), trickle, std::chrono::milliseconds(100));
    EXPECT_EQ(statusOf(late), 408) << late.substr(0, 200);
    // Cut off, not read to its end (which would take 10 s more).
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(12));
}

// Headers are read within a time from their first byte and within a size:
// a client that trickles them or sends megabytes of them is cut off with the
// status that says why, in bounded time; headers within the limits pass.
TEST(Serve, HeadersAreCutOffByTimeAndSize)
{
    Serve serve({"--header-timeout", "1", "--read-timeout", "2"});
    ASSERT_GT(serve.port(), 0) << serve.log().toStdString();
    const std::string start = "GET /health HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    const auto lines = [](int n) {
        std::string out;
        for (int i = 0; i < n; ++i)
            out += "X-" + std::to_string(i) + ": a\r\n";
        return out;
    };
    const struct {
        const char* name;
        std::string request;
        int gapMs;
        int status;
        int withinS;   // the answer's time, sent to answered
    } rows[] = {
        // About 5 s to send a byte at a time: cut off after 1 s, at the
        // next byte (one read timeout at most).
        {"trickled", start + "X-Slow: " + std::string(200, 'a') + "\r\n\r\n", 25, 408, 4},
        {"one long line", start + "X-Big: " + std::string(300 << 10, 'a') + "\r\n\r\n", 0, 431, 3},
        {"many lines", start + lines(5000) + "\r\n", 0, 431, 3},
        {"lines within the limit", start + lines(4000) + "\r\n", 0, 200, 3},
        {"sent at once", start + "Connection: close\r\n\r\n", 0, 200, 3},
    };
    for (const auto& row : rows) {
        const auto t0 = std::chrono::steady_clock::now();
        const std::string answer = exchange(serve.port(), row.request, std::chrono::milliseconds(row.gapMs));
        const auto took = std::chrono::steady_clock::now() - t0;
        EXPECT_EQ(statusOf(answer), row.status) << row.name << ": " << answer.substr(0, 200);
        EXPECT_LT(took, std::chrono::seconds(row.withinS)) << row.name;
        if (row.status != 200) {
            const size_t body = answer.find("\r\n\r\n");
            ASSERT_NE(body, std::string::npos) << row.name;
            EXPECT_TRUE(jsonBody(answer.substr(body + 4)).value(QStringLiteral("error")).isString()) << row.name;
        }
    }
    // The time counts from a request's first byte: a kept-alive connection
    // idle for longer than it between two requests answers both.
    httplib::Client client = serve.client();
    client.set_keep_alive(true);
    const auto first = client.Get("/health");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->status, 200);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const auto second = client.Get("/health");
    ASSERT_TRUE(second);
    EXPECT_EQ(second->status, 200);
}

TEST(Serve, MalformedRequestsGetA4xxAndTheServerStaysUp)
{
    Serve serve;
    ASSERT_GT(serve.port(), 0) << serve.log().toStdString();
    const std::string host = "Host: 127.0.0.1\r\n";
    std::string manyHeaders;
    for (int i = 0; i < 2000; ++i)
        manyHeaders += "X-" + std::to_string(i) + ": " + std::string(40, 'a') + "\r\n";
    const std::string rows[] = {
        "GARBAGE\r\n\r\n",
        "GET\r\n\r\n",
        "GET /seal.png HTTP/9.9\r\n" + host + "\r\n",
        "GET /" + std::string(20000, 'a') + " HTTP/1.1\r\n" + host + "\r\n",
        "GET /health HTTP/1.1\r\n" + host + "X-Big: " + std::string(100000, 'a') + "\r\n\r\n",
        "GET /seal.png?dpi=1e400 HTTP/1.1\r\n" + host + "\r\n",
        "GET /seal.png?dpi=NaN HTTP/1.1\r\n" + host + "\r\n",
        "GET /seal.png?Height=-1mm HTTP/1.1\r\n" + host + "\r\n",
        "GET /seal.png?rText=\xff\xfe\xfd HTTP/1.1\r\n" + host + "\r\n",
        "GET /seal.png?%ZZ=%Z HTTP/1.1\r\n" + host + "\r\n",
        "GET /seal.png?=1 HTTP/1.1\r\n" + host + "\r\n",
        "POST /render HTTP/1.1\r\n" + host + "Content-Length: -5\r\n\r\n{}",
        "POST /render HTTP/1.1\r\n" + host + "Content-Length: 99999999999999999999999\r\n\r\n{}",
        "POST /render HTTP/1.1\r\n" + host + "Content-Length: 1e3\r\n\r\n{}",
        "POST /render HTTP/1.1\r\n" + host + "Transfer-Encoding: chunked\r\n\r\nzz\r\n",
        "POST /render HTTP/1.1\r\n" + host + "Transfer-Encoding: chunked\r\n\r\nFFFFFFFFFFFFFFFF\r\nab\r\n",
        "POST /render HTTP/1.1\r\n" + host + "Content-Length: 10\r\n\r\n{\"a\":\"\xc0\x80\"}",
        "POST /render HTTP/1.1\r\n" + host + "Content-Length: 24\r\n\r\n{\"properties\":{\"\":\"\"}}",
        "POST /render HTTP/1.1\r\n" + host + "Content-Length: 22\r\n\r\n{\"properties\":\"a=b\"}",
        "POST /stamp?at=1,1 HTTP/1.1\r\n" + host + "Content-Length: 8\r\n\r\n%PDF-1.4",
    };
    for (const std::string& request : rows) {
        const std::string answer = exchange(serve.port(), request);
        const int status = statusOf(answer);
        EXPECT_TRUE(status >= 400 && status < 500) << request.substr(0, 80) << " -> " << answer.substr(0, 200);
    }
    // Many headers of a sane size are still one request.
    EXPECT_EQ(statusOf(exchange(serve.port(), "GET /health HTTP/1.1\r\n" + host + manyHeaders + "\r\n")), 200);
    const auto health = serve.client().Get("/health");
    ASSERT_TRUE(health);
    EXPECT_EQ(health->status, 200);
}

TEST(Serve, SigtermAnswersEveryRequestInFlightThenExits)
{
    Serve serve({"--threads", "1", "--quiet"});
    ASSERT_GT(serve.port(), 0) << serve.log().toStdString();
    // Seals that take a while each, all queued behind one drawing thread.
    constexpr int kInFlight = 12;
    std::vector<int> status(kInFlight, 0);
    std::vector<size_t> bytes(kInFlight, 0);
    std::atomic<int> answered{0};
    std::vector<std::thread> inFlight;
    for (int i = 0; i < kInFlight; ++i)
        inFlight.emplace_back([&, i] {
            httplib::Client client = serve.client();
            const auto res = client.Get("/seal.png?dpi=2800&Aging=100&AgingSeed=" + std::to_string(i));
            if (res) {
                status[size_t(i)] = res->status;
                bytes[size_t(i)] = res->body.size();
            }
            ++answered;
        });
    httplib::Client probe = serve.client();
    // Waits until the server holds more jobs than the in-flight requests
    // not yet answered (with `extra`, some of the load's too).
    const auto holds = [&](int extra) {
        for (const QDeadlineTimer deadline(30000); !deadline.hasExpired();) {
            const int open = kInFlight - answered;
            const auto res = probe.Get("/health");
            if (!res)
                continue;
            const QJsonObject o = jsonBody(res->body);
            if (o.value(QStringLiteral("drawing")).toInt() + o.value(QStringLiteral("queued")).toInt()
                >= open + extra)
                return true;
        }
        return false;
    };
    ASSERT_TRUE(holds(0));
    // Then load: its answers are complete 200s, or the connection is
    // refused once the server has stopped accepting; never anything else.
    std::atomic<bool> stop{false};
    std::atomic<int> loadOk{0}, loadOther{0};
    std::vector<std::thread> load;
    for (int t = 0; t < 3; ++t)
        load.emplace_back([&, t] {
            for (int i = 0; !stop; ++i) {
                httplib::Client client = serve.client();
                const auto res = client.Get("/seal.png?dpi=200&rText=L" + std::to_string(t * 100000 + i));
                if (!res)
                    continue;
                if (res->status == 200 && res->body.rfind("\x89PNG", 0) == 0)
                    ++loadOk;
                else
                    ++loadOther;
            }
        });
    ASSERT_TRUE(holds(1));
    EXPECT_LT(answered.load(), kInFlight) << "the in-flight requests were answered before SIGTERM";
    serve.terminate();
    for (auto& t : inFlight)
        t.join();
    EXPECT_EQ(serve.waitForExit(), 0) << serve.log().toStdString();
    stop = true;
    for (auto& t : load)
        t.join();
    for (int i = 0; i < kInFlight; ++i) {
        EXPECT_EQ(status[size_t(i)], 200) << "request " << i;
        EXPECT_GT(bytes[size_t(i)], 1000u) << "request " << i;
    }
    EXPECT_GT(loadOk.load(), 0);
    EXPECT_EQ(loadOther.load(), 0);
    // Nothing listens any more.
    EXPECT_FALSE(serve.client().Get("/health"));
}

} // namespace
