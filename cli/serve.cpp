// plomet serve: a stateless HTTP service that draws seals on request, for
// office systems that make seals on demand.
#include "cli/cli.h"
#include "cli/Options.h"

#include "cli/ServeHeaders.h"
#include "cli/ServeRequest.h"
#include "seal/Errors.h"
#include "seal/NumberText.h"
#include "seal/Plomet.h"
#include "stamp/PdfStamp.h"

#include <httplib.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include <cerrno>
#include <pthread.h>
#include <unistd.h>

namespace plomet {

namespace {

const char kServeAbout[] = QT_TRANSLATE_NOOP(
    "Commands",
    "Usage: plomet serve [--host 127.0.0.1] [--port 8080] [--threads N] [options]\n"
    "\n"
    "Answers HTTP requests for seals until SIGTERM or SIGINT, which let the\n"
    "requests in flight finish before the program exits. It keeps no state\n"
    "between requests: run as many as you like behind a load balancer.\n"
    "\n"
    "  GET  /seal.png|.bmp|.svg|.pdf?NAME=VALUE&...  a seal; NAME a property\n"
    "       (as --set takes it, any letter case), or preset, dpi, transparent;\n"
    "       the same bytes as plomet render with those settings\n"
    "  POST /render   JSON {\"properties\": {NAME: VALUE, ...}, \"preset\": ...,\n"
    "       \"format\": \"png\", \"dpi\": 300, \"transparent\": false}\n"
    "  POST /stamp?at=X,Y&page=...&NAME=VALUE...  the body a PDF document; the\n"
    "       answer the stamped document (placement keys as plomet stamp's options:\n"
    "       page, at, angle, straddle, at-y, straddle-max, edge, first-strip,\n"
    "       inset, force)\n"
    "  GET  /properties   the property table as JSON\n"
    "  GET  /health       {\"status\": \"ok\", ...}\n"
    "\n"
    "Failures are JSON {\"error\": ..., \"property\": ...}: 400 a bad value or\n"
    "body, 404 no such path, 405 a method the path does not take, 408 headers\n"
    "or a body not received in time, 413 a body over its limit, 431 headers\n"
    "over 256 KiB or 4096 lines, 503 the queue is full or the drawing took\n"
    "too long.\n");

const char kServeNotes[] = QT_TRANSLATE_NOOP(
    "Commands",
    "Each request is logged on stderr: client, method, path, status, bytes, ms.\n"
    "The first line says where it listens: \"plomet: serving on http://HOST:PORT\".\n"
    "Exit codes: 0 stopped by a signal, 1 cannot listen, 2 bad command line.\n");

using Clock = std::chrono::steady_clock;

// A fixed set of threads and a bounded queue of work for them.
class WorkQueue {
public:
    WorkQueue(unsigned threads, size_t capacity) : capacity_(capacity)
    {
        for (unsigned i = 0; i < threads; ++i)
            threads_.emplace_back([this] { work(); });
    }
    ~WorkQueue() { finish(); }

    // Queues the job; false when `capacity` jobs wait already and no thread
    // is free for it.
    bool tryPush(std::function<void()> job)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            const size_t idle = threads_.size() - std::min(threads_.size(), busy_);
            if (stopping_ || queue_.size() >= capacity_ + idle)
                return false;
            queue_.push_back(std::move(job));
        }
        ready_.notify_one();
        return true;
    }
    // Waits for room, then queues the job.
    void push(std::function<void()> job)
    {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            room_.wait(lock, [&] { return queue_.size() < capacity_; });
            queue_.push_back(std::move(job));
        }
        ready_.notify_one();
    }
    // Runs what is queued, then ends the threads.
    void finish()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_ && threads_.empty())
                return;
            stopping_ = true;
        }
        ready_.notify_all();
        for (auto& t : threads_)
            t.join();
        threads_.clear();
    }
    size_t queued() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return queue_.size();
    }
    size_t busy() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return busy_;
    }

private:
    void work()
    {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                ready_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
                if (queue_.empty())
                    return;
                job = std::move(queue_.front());
                queue_.pop_front();
                ++busy_;
            }
            room_.notify_one();
            job();
            std::lock_guard<std::mutex> lock(mutex_);
            --busy_;
        }
    }

    const size_t capacity_;
    mutable std::mutex mutex_;
    std::condition_variable ready_, room_;
    std::deque<std::function<void()>> queue_;
    std::vector<std::thread> threads_;
    size_t busy_ = 0;
    bool stopping_ = false;
};

// The connections: httplib hands each accepted one over here. When all are
// taken the accepting thread waits, and new connections wait in the kernel.
class ConnectionQueue : public httplib::TaskQueue {
public:
    explicit ConnectionQueue(unsigned connections) : queue_(connections, connections) {}
    void enqueue(std::function<void()> fn) override
    {
        // Its thread serves the connection alone, reading its headers within their limits.
        queue_.push([fn = std::move(fn)] {
            watchConnection();
            fn();
            forgetConnection();
        });
    }
    void shutdown() override { queue_.finish(); }

private:
    WorkQueue queue_;
};

struct Config {
    QString host = QStringLiteral("127.0.0.1");
    int port = 8080;
    unsigned threads = 1;
    size_t queue = 64;
    unsigned connections = 64;
    size_t maxPdf = size_t(32) << 20;
    size_t maxJson = size_t(64) << 10;
    int readTimeoutS = 5;
    int headerTimeoutS = 10;
    int jobTimeoutS = 30;
    bool quiet = false;
    // Read once at start (--sign): every stamped document answered is then
    // signed with it. Clients never send keys or passwords.
    std::optional<SignRequest> sign;
};

std::string json(const QJsonObject& o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
}

void sendError(httplib::Response& res, int status, const QString& message, const QString& property = QString())
{
    QJsonObject o;
    o.insert(QStringLiteral("error"), message);
    o.insert(QStringLiteral("property"), property.isEmpty() ? QJsonValue() : QJsonValue(property));
    res.status = status;
    res.set_content(json(o), "application/json");
}

// What a drawing thread hands back to the connection that waits for it.
struct Outcome {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    int status = 200;
    QByteArray body;
    QString error, property;
};

class Service {
public:
    explicit Service(const Config& config) : config_(config), drawing_(config.threads, config.queue) {}

    void route(httplib::Server& server);
    void finish() { drawing_.finish(); }

private:
    // Runs `work` on a drawing thread and answers with its bytes, or with the
    // failure; 503 when the queue is full or the job outlives its limit.
    void answer(httplib::Response& res, std::function<QByteArray()> work, const QString& contentType);
    // Reads a body of at most `limit` bytes in time; false when it answered.
    bool readBody(const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader,
                  size_t limit, QByteArray& body);

    void seal(const httplib::Request& req, httplib::Response& res);
    void render(const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader);
    void stamp(const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader);

    const Config config_;
    WorkQueue drawing_;
};

void Service::answer(httplib::Response& res, std::function<QByteArray()> work, const QString& contentType)
{
    auto outcome = std::make_shared<Outcome>();
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(config_.jobTimeoutS);
    const bool queued = drawing_.tryPush([outcome, deadline, work = std::move(work)] {
        int status = 200;
        QByteArray body;
        QString error, property;
        if (Clock::now() > deadline) {
            status = 503;   // nobody waits for it any more
        } else {
            try {
                body = work();
            } catch (const RequestError& e) {
                status = 400;
                error = e.message;
                property = e.property;
            } catch (const PlometError& e) {
                status = 400;
                error = e.message();
            } catch (const std::bad_alloc&) {
                status = 503;
                error = Cli::tr("out of memory");
            } catch (const std::exception& e) {
                status = 500;
                error = QString::fromLocal8Bit(e.what());
            }
        }
        std::lock_guard<std::mutex> lock(outcome->mutex);
        outcome->status = status;
        outcome->body = std::move(body);
        outcome->error = error;
        outcome->property = property;
        outcome->finished = true;
        outcome->done.notify_one();
    });
    if (!queued) {
        res.set_header("Retry-After", "1");
        sendError(res, 503, Cli::tr("the server is busy (every drawing thread works and %1 requests wait); "
                                         "try again").arg(config_.queue));
        return;
    }
    std::unique_lock<std::mutex> lock(outcome->mutex);
    if (!outcome->done.wait_until(lock, deadline, [&] { return outcome->finished; })) {
        sendError(res, 503, Cli::tr("the seal was not drawn within %1 s").arg(config_.jobTimeoutS));
        return;
    }
    if (outcome->status != 200) {
        sendError(res, outcome->status, outcome->error, outcome->property);
        return;
    }
    res.status = 200;
    res.set_content(outcome->body.constData(), size_t(outcome->body.size()), contentType.toStdString());
}

bool Service::readBody(const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader,
                       size_t limit, QByteArray& body)
{
    const auto tooLarge = [&] {
        // The rest of the body is never read: the connection ends with the answer.
        res.set_header("Connection", "close");
        sendError(res, 413, Cli::tr("the body is larger than %1 bytes").arg(limit));
        return false;
    };
    if (req.has_header("Content-Length")) {
        const auto length = parseStrictNumber(QString::fromStdString(req.get_header_value("Content-Length")));
        if (!length || *length < 0) {
            res.set_header("Connection", "close");
            sendError(res, 400, Cli::tr("Content-Length wants a number of bytes"));
            return false;
        }
        if (*length > double(limit))
            return tooLarge();
        body.reserve(qsizetype(*length));
    }
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(4 * config_.readTimeoutS);
    bool over = false, late = false;
    const bool complete = reader([&](const char* data, size_t length) {
        if (size_t(body.size()) + length > limit) {
            over = true;
            return false;
        }
        if (Clock::now() > deadline) {
            late = true;
            return false;
        }
        body.append(data, qsizetype(length));
        return true;
    });
    if (over)
        return tooLarge();
    if (late || !complete) {
        res.set_header("Connection", "close");
        sendError(res, late ? 408 : 400,
                  late ? Cli::tr("the body did not arrive within %1 s").arg(4 * config_.readTimeoutS)
                       : Cli::tr("the body could not be read"));
        return false;
    }
    return true;
}

void Service::seal(const httplib::Request& req, httplib::Response& res)
{
    const QString format = QString::fromStdString(req.matches[1]).toLower();
    if (!exportFormats().contains(format)) {
        sendError(res, 404,
                  Cli::tr("no format '%1' (known: %2)").arg(format, exportFormats().join(QStringLiteral(", "))));
        return;
    }
    try {
        const SealRequest request = sealFromQuery(format, parseQuery(QByteArray::fromStdString(req.target)));
        answer(
            res,
            [request] {
                return renderSealBytes(QString(), request.preset, request.settings, request.format, request.options);
            },
            exportMimeType(format));
    } catch (const RequestError& e) {
        sendError(res, 400, e.message, e.property);
    }
}

void Service::render(const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader)
{
    QByteArray body;
    if (!readBody(req, res, reader, config_.maxJson, body))
        return;
    try {
        const SealRequest request = sealFromJson(body);
        answer(
            res,
            [request] {
                return renderSealBytes(QString(), request.preset, request.settings, request.format, request.options);
            },
            exportMimeType(request.format));
    } catch (const RequestError& e) {
        sendError(res, 400, e.message, e.property);
    }
}

void Service::stamp(const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader)
{
    QByteArray body;
    if (!readBody(req, res, reader, config_.maxPdf, body))
        return;
    try {
        const QueryItems items = parseQuery(QByteArray::fromStdString(req.target));
        const SealRequest request = sealFromQuery(QStringLiteral("pdf"), items, true);
        const StampPlacement placement = placementFromQuery(items);
        if (body.isEmpty())
            throw RequestError{Cli::tr("the body wants the PDF document to stamp"), QString()};
        answer(
            res,
            [this, request, placement, body] {
                // As plomet stamp draws it: vector outlines, as into a PDF file.
                const PicturePtr picture = drawSealFor(
                    [&](Plomet& seal) {
                        if (!request.preset.isEmpty())
                            applyPreset(seal, request.preset);
                        for (const QString& assignment : request.settings)
                            applySetting(seal, assignment);
                    },
                    QStringLiteral("pdf"), ExportOptions{});
                return stampPdfBytes(body, Cli::tr("document", "the PDF a request sends, named in messages"),
                                     stampSealFromPicture(*picture), placement, nullptr,
                                     config_.sign ? &*config_.sign : nullptr);
            },
            QStringLiteral("application/pdf"));
    } catch (const RequestError& e) {
        sendError(res, 400, e.message, e.property);
    }
}

void Service::route(httplib::Server& server)
{
    using httplib::Request;
    using httplib::Response;
    using httplib::ContentReader;
    server.Get(R"(/seal\.([A-Za-z0-9]+))", [this](const Request& req, Response& res) { seal(req, res); });
    server.Post("/render", [this](const Request& req, Response& res, const ContentReader& reader) {
        render(req, res, reader);
    });
    server.Post("/stamp", [this](const Request& req, Response& res, const ContentReader& reader) {
        stamp(req, res, reader);
    });
    server.Get("/health", [this](const Request&, Response& res) {
        QJsonObject o;
        o.insert(QStringLiteral("status"), QStringLiteral("ok"));
        o.insert(QStringLiteral("threads"), int(config_.threads));
        o.insert(QStringLiteral("drawing"), qint64(drawing_.busy()));
        o.insert(QStringLiteral("queued"), qint64(drawing_.queued()));
        res.set_content(json(o), "application/json");
    });
    const std::string properties = propertiesJson().toStdString();
    server.Get("/properties", [properties](const Request&, Response& res) {
        res.set_content(properties, "application/json");
    });

    // Every other method on a known path: 405, naming the one it takes.
    const struct { const char* pattern; const char* allow; } paths[] = {
        {R"(/seal\.([A-Za-z0-9]+))", "GET"}, {"/health", "GET"}, {"/properties", "GET"},
        {"/render", "POST"}, {"/stamp", "POST"},
    };
    for (const auto& p : paths) {
        const std::string allow = p.allow;
        const auto refuse = [allow](const Request& req, Response& res) {
            res.set_header("Allow", allow);
            sendError(res, 405, Cli::tr("%1 does not take %2, only %3")
                                    .arg(QString::fromStdString(req.path), QString::fromStdString(req.method),
                                         QString::fromStdString(allow)));
        };
        // A body that comes with a refused method is not read: the
        // connection ends with the answer.
        const auto refuseBody = [refuse](const Request& req, Response& res, const ContentReader&) {
            res.set_header("Connection", "close");
            refuse(req, res);
        };
        if (allow != "GET")
            server.Get(p.pattern, refuse);
        if (allow != "POST")
            server.Post(p.pattern, refuseBody);
        server.Put(p.pattern, refuseBody);
        server.Patch(p.pattern, refuseBody);
        server.Delete(p.pattern, refuseBody);
        server.Options(p.pattern, refuse);
    }
}

QString statusReason(int status)
{
    switch (status) {
    case 400: return Cli::tr("the request cannot be read");
    case 404: return Cli::tr("no such path (GET /seal.png, /seal.bmp, /seal.svg, /seal.pdf, /properties, "
                                    "/health; POST /render, /stamp)");
    case 405: return Cli::tr("the path does not take this method");
    case 413: return Cli::tr("the request is larger than allowed");
    case 414: return Cli::tr("the request's path and query are too long");
    case 416: return Cli::tr("the range cannot be served");
    case 431: return Cli::tr("the request's headers are too large");
    case 500: return Cli::tr("internal error");
    default: return Cli::tr("HTTP status %1").arg(status);
    }
}

// When the current request on this connection thread began (after its
// headers arrived), for its log line.
thread_local std::optional<Clock::time_point> requestStart;

// SIZE as --max-body takes it: bytes, or with K, M or G (powers of 1024).
std::optional<size_t> byteSize(const QString& text)
{
    QString t = text.trimmed().toUpper();
    double unit = 1;
    if (t.endsWith(QLatin1Char('K')) || t.endsWith(QLatin1Char('M')) || t.endsWith(QLatin1Char('G'))) {
        unit = t.endsWith(QLatin1Char('K')) ? 1024.0 : t.endsWith(QLatin1Char('M')) ? 1048576.0 : 1073741824.0;
        t.chop(1);
    }
    bool ok = false;
    const qulonglong n = t.toULongLong(&ok);
    if (!ok || n == 0 || double(n) * unit > double(size_t(1) << 40))
        return std::nullopt;
    return size_t(double(n) * unit);
}

std::optional<long> wholeNumber(const QString& text, long low, long high)
{
    bool ok = false;
    const long n = text.trimmed().toLong(&ok);
    if (!ok || n < low || n > high)
        return std::nullopt;
    return n;
}

} // namespace

int cmdServe(QStringList args)
{
    CommandLine parser(kCmdServe, "serve", kServeAbout, kServeNotes);
    if (const auto done = parser.parse(args))
        return *done;
    const QCommandLineOption& hostOpt = parser.option("host");
    const QCommandLineOption& portOpt = parser.option("port");
    const QCommandLineOption& threadsOpt = parser.option("threads");
    const QCommandLineOption& queueOpt = parser.option("queue");
    const QCommandLineOption& connectionsOpt = parser.option("connections");
    const QCommandLineOption& maxBodyOpt = parser.option("max-body");
    const QCommandLineOption& maxJsonOpt = parser.option("max-json");
    const QCommandLineOption& readTimeoutOpt = parser.option("read-timeout");
    const QCommandLineOption& jobTimeoutOpt = parser.option("job-timeout");
    const QCommandLineOption& headerTimeoutOpt = parser.option("header-timeout");
    const QCommandLineOption& quietOpt = parser.option("quiet");
    const QCommandLineOption& signOpt = parser.option("sign");
    const QCommandLineOption& passwordOpt = parser.option("password-file");
    const QCommandLineOption& reasonOpt = parser.option("reason");
    const QCommandLineOption& locationOpt = parser.option("location");
    const QCommandLineOption& contactOpt = parser.option("contact");
    if (!parser.positionalArguments().isEmpty()) {
        printError(Cli::tr("unexpected argument '%1'").arg(parser.positionalArguments().first()));
        return kExitUsage;
    }
    Config config;
    config.threads = usableCores();
    const auto bad = [](const QString& message) {
        printError(message);
        return kExitUsage;
    };
    if (parser.isSet(hostOpt)) {
        config.host = parser.value(hostOpt).trimmed();
        if (config.host.isEmpty())
            return bad(Cli::tr("--host wants an address, such as 127.0.0.1 or 0.0.0.0"));
    }
    struct Whole { const QCommandLineOption* option; long low, high; const char* what; std::function<void(long)> set; };
    const Whole wholes[] = {
        {&portOpt, 0, 65535, QT_TRANSLATE_NOOP("Cli", "a TCP port from 0 to 65535"), [&](long n) { config.port = int(n); }},
        {&threadsOpt, 1, 256, QT_TRANSLATE_NOOP("Cli", "a number of threads from 1 to 256"), [&](long n) { config.threads = unsigned(n); }},
        {&queueOpt, 0, 100000, QT_TRANSLATE_NOOP("Cli", "a number of requests from 0 to 100000"), [&](long n) { config.queue = size_t(n); }},
        {&connectionsOpt, 1, 4096, QT_TRANSLATE_NOOP("Cli", "a number of connections from 1 to 4096"),
         [&](long n) { config.connections = unsigned(n); }},
        {&readTimeoutOpt, 1, 3600, QT_TRANSLATE_NOOP("Cli", "seconds from 1 to 3600"), [&](long n) { config.readTimeoutS = int(n); }},
        {&jobTimeoutOpt, 1, 3600, QT_TRANSLATE_NOOP("Cli", "seconds from 1 to 3600"), [&](long n) { config.jobTimeoutS = int(n); }},
        {&headerTimeoutOpt, 1, 3600, QT_TRANSLATE_NOOP("Cli", "seconds from 1 to 3600"), [&](long n) { config.headerTimeoutS = int(n); }},
    };
    for (const Whole& w : wholes) {
        if (!parser.isSet(*w.option))
            continue;
        const auto n = wholeNumber(parser.value(*w.option), w.low, w.high);
        if (!n)
            return bad(Cli::tr("--%1 wants %2, not '%3'")
                           .arg(w.option->names().constLast(), Cli::tr(w.what), parser.value(*w.option)));
        w.set(*n);
    }
    for (auto [option, target] : {std::pair{&maxBodyOpt, &config.maxPdf}, std::pair{&maxJsonOpt, &config.maxJson}}) {
        if (!parser.isSet(*option))
            continue;
        const auto n = byteSize(parser.value(*option));
        if (!n)
            return bad(Cli::tr("--%1 wants a size in bytes (64K, 32M), not '%2'")
                           .arg(option->names().constLast(), parser.value(*option)));
        *target = *n;
    }
    config.quiet = parser.isSet(quietOpt);
    if (!parser.isSet(signOpt)) {
        for (const QCommandLineOption* o : {&passwordOpt, &reasonOpt, &locationOpt, &contactOpt})
            if (parser.isSet(*o))
                return bad(Cli::tr("--%1 is for signing (--sign SEAL.p12)").arg(o->names().constLast()));
    } else {
        // The key is read before the server listens: a wrong password or a
        // certificate that cannot sign stops it at once.
        try {
            SignRequest sign = signRequest(parser.value(signOpt), parser.value(passwordOpt));
            if (!sign.key)
                return parser.isSet(passwordOpt) ? kExitFailed : kExitUsage;
            sign.options.reason = parser.value(reasonOpt);
            sign.options.location = parser.value(locationOpt);
            sign.options.contact = parser.value(contactOpt);
            config.sign = std::move(sign);
        } catch (const PlometError& e) {
            printError(e.message());
            return kExitFailed;
        }
    }

    // SIGTERM and SIGINT go to one thread that stops the server; every
    // thread started from here on inherits the mask. A client that goes
    // away while it is answered must not end the process.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    httplib::Server server;
    Service service(config);
    service.route(server);
    server.new_task_queue = [&config] { return new ConnectionQueue(config.connections); };
    // An answer goes out as headers, then body: with Nagle's algorithm the
    // body waited for the client's delayed ACK, some 40 ms an answer on a
    // kept-alive connection.
    server.set_tcp_nodelay(true);
    server.set_read_timeout(config.readTimeoutS, 0);
    server.set_write_timeout(config.readTimeoutS, 0);
    server.set_keep_alive_timeout(config.readTimeoutS);
    server.set_keep_alive_max_count(1000);
    server.set_payload_max_length(std::max(config.maxPdf, config.maxJson));
    // The failures httplib finds itself (a request it cannot read, a path
    // that no route takes) get the same JSON body as ours.
    HeaderLimits limits;
    limits.time = std::chrono::seconds(config.headerTimeoutS);
    setHeaderLimits(limits);
    const httplib::Server::HandlerWithResponse onError = [](const httplib::Request&, httplib::Response& res) {
        // Headers cut off read as a broken request; the answer says why.
        if (const HeaderCut cut = headerCut(); cut != HeaderCut::None) {
            res.set_header("Connection", "close");
            if (cut == HeaderCut::Late)
                sendError(res, 408, Cli::tr("the request's headers did not arrive within %1 s")
                                        .arg(headerLimits().time.count() / 1000));
            else
                sendError(res, 431, Cli::tr("the request's headers are longer than %1 bytes or %2 lines")
                                        .arg(headerLimits().bytes).arg(headerLimits().lines));
            return httplib::Server::HandlerResponse::Handled;
        }
        if (!res.body.empty())
            return httplib::Server::HandlerResponse::Unhandled;
        sendError(res, res.status, statusReason(res.status));
        return httplib::Server::HandlerResponse::Handled;
    };
    server.set_error_handler(onError);
    server.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
        sendError(res, 500, Cli::tr("internal error"));
    });
    server.set_pre_routing_handler([](const httplib::Request&, httplib::Response&) {
        headersArrived();
        requestStart = Clock::now();
        return httplib::Server::HandlerResponse::Unhandled;
    });
    // Called once an answer has gone out, so the next request's headers
    // are watched from their first byte.
    server.set_logger([quiet = config.quiet](const httplib::Request& req, const httplib::Response& res) {
        awaitHeaders();
        if (quiet)
            return;
        const double ms = requestStart
            ? std::chrono::duration<double, std::milli>(Clock::now() - *requestStart).count() : 0.0;
        requestStart.reset();
        // The path only: a query can be long, and the log stays one line a request.
        std::string path = req.path.substr(0, 200);
        std::replace_if(path.begin(), path.end(), [](char c) { return c < 0x20 || c == 0x7f; }, '?');
        // One write a line, with no lock between the connections: the
        // kernel keeps a write whole, on a pipe and on a file alike.
        char line[512];
        int n = std::snprintf(line, sizeof line, "plomet: %s %s %s %d %zu %.1f ms\n", req.remote_addr.c_str(),
                              req.method.substr(0, 32).c_str(), path.c_str(), res.status, res.body.size(), ms);
        if (n <= 0)
            return;
        if (size_t(n) >= sizeof line) {
            n = int(sizeof line) - 1;
            line[n - 1] = '\n';
        }
        for (const char* p = line; n > 0;) {
            const ssize_t written = ::write(STDERR_FILENO, p, size_t(n));
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return;
            p += written;
            n -= int(written);
        }
    });

    const std::string host = config.host.toStdString();
    int port = config.port;
    const bool bound = port == 0 ? (port = server.bind_to_any_port(host)) > 0 : server.bind_to_port(host, port);
    if (!bound) {
        printError(Cli::tr("cannot listen on %1 port %2").arg(config.host).arg(config.port));
        return kExitFailed;
    }
    std::fprintf(stderr, "plomet: serving on http://%s:%d (%u drawing threads)\n",
                 host.find(':') == std::string::npos ? host.c_str() : ("[" + host + "]").c_str(), port,
                 config.threads);
    std::fflush(stderr);

    std::atomic<bool> signalled{false};
    std::atomic<bool> listening{true};
    std::thread stopper([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        signalled = true;
        if (listening)
            server.stop();
    });
    server.listen_after_bind();   // returns once stopped, every connection answered
    listening = false;
    // A server that stopped of its own (its socket failed) ends the signal
    // thread with one of the signals it waits for.
    if (!signalled)
        pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
    service.finish();
    if (!config.quiet) {
        printError(Cli::tr("stopped"));
        std::fflush(stderr);
    }
    return kExitOk;
}

} // namespace plomet
