// plomet serve under load: distinct seals (set B: four faces, font sizes,
// weights, colours, spacings, on seals of one size and so one band;
// tests/common/SealSets.h) as 300 px PNG, from 16 concurrent loopback
// clients on keep-alive connections, against a server
// started with its defaults (as many drawing threads as usable cores).
// Reports failures, seals a second, latency (median, p99) and the server's
// resident memory before, once every name was asked for (rss_warm_MB), at
// its highest from then on (sampled once a pass over the names, and at the
// end) and after: 2000 seals for speed, 100,000 requests (the 2000 names
// over and over) for memory that stays flat from warm to after; and one seal
// repeated, for the cost of the server around the drawing.
//
// PLOMET_BENCH_CLI=/path/to/plomet serves with another build.
#include "SealSets.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

constexpr int kClients = 16;

QString cliPath()
{
    const QString other = qEnvironmentVariable("PLOMET_BENCH_CLI");
    return other.isEmpty() ? QStringLiteral(PLOMET_CLI_PATH) : other;
}

// Resident memory of a process in MB, from /proc.
double rssMb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    static const QRegularExpression rss(QStringLiteral("VmRSS:\\s+(\\d+) kB"));
    const auto m = rss.match(QString::fromLatin1(status.readAll()));
    return m.hasMatch() ? m.captured(1).toDouble() / 1024 : 0;
}

// CPU time a process has used, user and system, in ms (from /proc).
double cpuMs(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    // The fields after the command's name, which ends with ")".
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return (fields[11].toDouble() + fields[12].toDouble()) * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

// The query of seal i: set B's name, face, size, weight, colour, spacing;
// 300 px across (2055 twips at 210.2 dpi).
std::string query(const plomet::test::SealSpec& s)
{
    const auto enc = [](const QString& v) { return QUrl::toPercentEncoding(v).toStdString(); };
    return "/seal.png?dpi=210.2&rText=" + enc(s.rText) + "&FontName=" + enc(s.fontName)
           + "&FontSize=" + enc(QString::number(s.fontSize)) + "&FontBold=" + (s.fontBold ? "True" : "False")
           + "&ForeColor=" + std::to_string(s.foreColor) + "&Space=" + std::to_string(s.space);
}

// Serves `requests` requests for the given queries, in turn.
void serve(benchmark::State& state, const std::vector<std::string>& queries)
{
    const int requests = int(state.range(0));
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("serve.log"));
    QProcess server;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    server.setProcessEnvironment(env);
    server.setStandardErrorFile(log);
    server.start(cliPath(), {QStringLiteral("serve"), QStringLiteral("--port"), QStringLiteral("0"),
                             QStringLiteral("--quiet")});
    int port = 0;
    static const QRegularExpression serving(QStringLiteral("serving on http://127\\.0\\.0\\.1:(\\d+)"));
    for (const QDeadlineTimer deadline(30000); !port && !deadline.hasExpired() && server.state() != QProcess::NotRunning;
         server.waitForFinished(20)) {
        QFile f(log);
        if (f.open(QIODevice::ReadOnly))
            if (const auto m = serving.match(QString::fromUtf8(f.readAll())); m.hasMatch())
                port = m.captured(1).toInt();
    }
    if (!port) {
        state.SkipWithError("plomet serve did not start");
        return;
    }
    for (auto _ : state) {
        const double rssBefore = rssMb(server.processId());
        const double cpuBefore = cpuMs(server.processId());
        std::atomic<int> next{0}, failures{0};
        // The memory once every seal has been asked for once: the glyphs of
        // all the names are cached by then, and what follows must not grow.
        std::atomic<double> rssWarm{0}, rssPeak{0};
        std::vector<std::vector<double>> latencies(kClients);
        const auto start = std::chrono::steady_clock::now();
        std::vector<std::thread> clients;
        for (int c = 0; c < kClients; ++c)
            clients.emplace_back([&, c] {
                httplib::Client client("127.0.0.1", port);
                client.set_keep_alive(true);
                client.set_tcp_nodelay(true);
                client.set_read_timeout(60, 0);
                for (int i = next++; i < requests; i = next++) {
                    // Sampled at the start of every pass over the names after the first.
                    if (queries.size() > 1 && i > 0 && size_t(i) % queries.size() == 0) {
                        const double rss = rssMb(server.processId());
                        if (size_t(i) == queries.size())
                            rssWarm = rss;
                        for (double peak = rssPeak; rss > peak && !rssPeak.compare_exchange_weak(peak, rss);) {
                        }
                    }
                    const auto t0 = std::chrono::steady_clock::now();
                    const auto res = client.Get(queries[size_t(i) % queries.size()]);
                    const auto t1 = std::chrono::steady_clock::now();
                    if (!res || res->status != 200 || res->body.rfind("\x89PNG", 0) != 0)
                        ++failures;
                    latencies[size_t(c)].push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
                }
            });
        for (auto& t : clients)
            t.join();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        std::vector<double> all;
        for (const auto& l : latencies)
            all.insert(all.end(), l.begin(), l.end());
        std::sort(all.begin(), all.end());
        state.counters["failures"] = failures.load();
        state.counters["seals_per_s"] = requests / seconds;
        state.counters["p50_ms"] = all.empty() ? 0 : all[all.size() / 2];
        state.counters["p99_ms"] = all.empty() ? 0 : all[std::min(all.size() - 1, all.size() * 99 / 100)];
        state.counters["rss_before_MB"] = rssBefore;
        state.counters["rss_after_MB"] = rssMb(server.processId());
        if (queries.size() > 1 && size_t(requests) > queries.size())
        {
            state.counters["rss_warm_MB"] = rssWarm.load();
            state.counters["rss_peak_MB"] = std::max(rssPeak.load(), state.counters["rss_after_MB"].value);
        }
        // The server's own CPU a seal: a figure that another load on the
        // machine does not change as much as the rate.
        state.counters["server_cpu_ms_per_seal"] = (cpuMs(server.processId()) - cpuBefore) / requests;
    }
    ::kill(pid_t(server.processId()), SIGTERM);
    server.waitForFinished(30000);
}
std::vector<std::string> distinctQueries()
{
    std::vector<std::string> queries;
    for (const auto& s : plomet::test::sealSet(plomet::test::SealSet::B, 2000))
        queries.push_back(query(s));
    return queries;
}

void BM_Serve(benchmark::State& state)
{
    serve(state, distinctQueries());
}
BENCHMARK(BM_Serve)->Arg(2000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

// The same seal every time: what the server costs around a seal whose
// glyphs are all cached (not the real case; labelled as such).
void BM_ServeSameSealRepeated(benchmark::State& state)
{
    serve(state, {distinctQueries().front()});
}
BENCHMARK(BM_ServeSameSealRepeated)->Arg(2000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
