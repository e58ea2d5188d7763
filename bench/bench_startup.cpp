// Start-up time of the real program: from starting the process to the main
// window's first paint having reached the screen, with a default description
// file present. The program reports the paint on stderr when
// PLOMET_MARK_FIRST_PAINT is set. Uses the X display in DISPLAY, else the
// offscreen platform.
#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Run {
    pid_t pid = -1;
    int err = -1;
};

Run start(const fs::path& exe)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDERR_FILENO);
        setenv("PLOMET_MARK_FIRST_PAINT", "1", 1);
        if (!getenv("DISPLAY") && !getenv("QT_QPA_PLATFORM"))
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    return {pid, fds[0]};
}

// Reads the child's stderr until the first-paint line; false on timeout or end.
bool waitForPaint(int fd)
{
    std::string seen;
    char buf[512];
    pollfd p{fd, POLLIN, 0};
    while (poll(&p, 1, 10000) > 0) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0)
            return false;
        seen.append(buf, static_cast<size_t>(n));
        if (seen.find("plomet: first paint") != std::string::npos)
            return true;
    }
    return false;
}

void stop(Run& run)
{
    kill(run.pid, SIGTERM);   // saves the default file and quits, as a close does
    int status = 0;
    waitpid(run.pid, &status, 0);
    close(run.err);
}

fs::path prepareAppFolder()
{
    char tmpl[] = "/tmp/plomet-bench-startup.XXXXXX";
    const fs::path dir = mkdtemp(tmpl);
    const fs::path exe = dir / "PlometSample";
    fs::copy_file(PLOMET_SAMPLE_PATH, exe);
    // One start and a quit leave the default file beside the program, so the
    // measured starts load it as a user's start would.
    Run run = start(exe);
    waitForPaint(run.err);
    stop(run);
    return dir;
}

struct AppFolder {
    fs::path dir = prepareAppFolder();
    ~AppFolder()
    {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

void BM_StartToFirstPaint(benchmark::State& state)
{
    static const AppFolder folder;
    const fs::path& dir = folder.dir;
    const fs::path exe = dir / "PlometSample";
    if (!fs::exists(dir / "Plomet.PMF")) {
        state.SkipWithError("the program did not write its default file");
        return;
    }
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        Run run = start(exe);
        const bool painted = waitForPaint(run.err);
        const auto t1 = std::chrono::steady_clock::now();
        stop(run);
        if (!painted) {
            state.SkipWithError("no first paint within 10 s");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    }
}

} // namespace

BENCHMARK(BM_StartToFirstPaint)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
