// Draw of the default seal at screen size and its raster at 600 dpi, the
// `plomet render` command as a whole (process start to exit), and batches of
// distinct seals: in process (draw and PNG bytes) and through the command.
//
// Distinct seals are the real case: set A is 1000 different names in 黑体
// 12 pt bold, set B 1000 names over four faces, 10 to 14 pt, bold or not,
// three colours, spacing 0 to 2 (tests/common/SealSets.h). Figures for one
// seal drawn again and again measure the caches and are labelled so.
//
// PLOMET_BENCH_CLI=/path/to/plomet times another build of the command (to
// compare before and after in one run).
#include "formats/Export.h"
#include "formats/PmfFile.h"
#include "seal/Fonts.h"
#include "seal/Plomet.h"
#include "seal/RecordingSurface.h"
#include "seal/Render.h"
#include "seal/Wear.h"
#include "SealSets.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QSet>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <algorithm>
#include <chrono>
#include <sys/resource.h>
#include <vector>

namespace {

QString cliPath()
{
    const QString other = qEnvironmentVariable("PLOMET_BENCH_CLI");
    return other.isEmpty() ? QStringLiteral(PLOMET_CLI_PATH) : other;
}

void BM_DrawScreen(benchmark::State& state)
{
    plomet::Plomet seal;
    seal.InitProperties();
    for (auto _ : state) {
        seal.Draw();
        benchmark::DoNotOptimize(seal.image()->pixels().constBits());
    }
}
BENCHMARK(BM_DrawScreen)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_Rasterize600(benchmark::State& state)
{
    plomet::Plomet seal;
    seal.InitProperties();
    const plomet::DrawingModel model = seal.image()->model();
    for (auto _ : state) {
        const QImage img = plomet::rasterize(model, 600);
        benchmark::DoNotOptimize(img.constBits());
    }
}
BENCHMARK(BM_Rasterize600)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// A 300-dpi PNG of the default seal, unworn (0) and worn (50): the
// difference is what the wear costs. The same seal every time, so the glyph
// and ring images are cached (as for a user exporting the seal again).
void BM_Png300DefaultSealCached(benchmark::State& state)
{
    plomet::Plomet seal;
    seal.InitProperties();
    seal.setAging(static_cast<int>(state.range(0)));
    seal.setAgingSeed(7);
    seal.Draw();
    plomet::ExportOptions options;
    options.dpi = 300;
    const plomet::PicturePtr picture = seal.image();
    for (auto _ : state) {
        const QByteArray png = plomet::exportBytes(*picture, QStringLiteral("png"), options);
        benchmark::DoNotOptimize(png.constData());
    }
}
BENCHMARK(BM_Png300DefaultSealCached)->Arg(0)->Arg(50)->Unit(benchmark::kMillisecond)->Repetitions(7)
    ->ReportAggregatesOnly(true);

// The same with a different seal every time (name, face and size change), so
// no cached glyph or ring image is reused.
void BM_Png300DistinctSeals(benchmark::State& state)
{
    const QString names[] = {QStringLiteral("甲乙丙科技有限公司"), QStringLiteral("丁戊己贸易有限公司"),
                             QStringLiteral("庚辛壬咨询有限公司"), QStringLiteral("癸子丑物流有限公司")};
    const QString faces[] = {QStringLiteral("黑体"), QStringLiteral("宋体")};
    plomet::ExportOptions options;
    options.dpi = 300;
    int k = 0;
    for (auto _ : state) {
        state.PauseTiming();
        plomet::Plomet seal;
        seal.InitProperties();
        seal.setRText(names[k % 4]);
        seal.setFontName(faces[(k / 4) % 2]);
        seal.setWidth(float(2055 + k));
        seal.setHeight(float(2055 + k));
        seal.setAging(static_cast<int>(state.range(0)));
        seal.setAgingSeed(k);
        seal.Draw();
        ++k;
        const plomet::PicturePtr picture = seal.image();
        state.ResumeTiming();
        const QByteArray png = plomet::exportBytes(*picture, QStringLiteral("png"), options);
        benchmark::DoNotOptimize(png.constData());
    }
}
BENCHMARK(BM_Png300DistinctSeals)->Arg(0)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(200)
    ->Repetitions(5)->ReportAggregatesOnly(true);

// What the wear adds to a 300-dpi PNG, over distinct seals: each iteration a
// new seal (name, face, a size about the default's, seed) exported unworn
// and at level 50, the two timed export by export in alternating order, so
// that both see the same load on this shared machine. An untimed export first readies the
// seal's glyph and ring images for both. Counters: the medians of the two
// (plain_ms, worn_ms) and of their differences (added_ms).
void BM_Png300WearAdded(benchmark::State& state)
{
    const QString names[] = {QStringLiteral("甲乙丙科技有限公司"), QStringLiteral("丁戊己贸易有限公司"),
                             QStringLiteral("庚辛壬咨询有限公司"), QStringLiteral("癸子丑物流有限公司"),
                             QStringLiteral("寅卯辰建筑工程有限公司")};
    const QString faces[] = {QStringLiteral("黑体"), QStringLiteral("宋体")};
    plomet::ExportOptions options;
    options.dpi = 300;
    std::vector<double> plain, worn, added;
    int k = 0;
    auto timed = [&options](const plomet::PicturePtr& picture) {
        const auto start = std::chrono::steady_clock::now();
        const QByteArray png = plomet::exportBytes(*picture, QStringLiteral("png"), options);
        benchmark::DoNotOptimize(png.constData());
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };
    for (auto _ : state) {
        plomet::Plomet seal;
        seal.InitProperties();
        seal.setRText(names[k % 5]);
        seal.setFontName(faces[(k / 5) % 2]);
        seal.setWidth(float(1955 + 10 * (k % 21)));   // the default seal's 2055 twips, give or take 100
        seal.setHeight(float(1955 + 10 * (k % 21)));
        seal.Draw();
        const plomet::PicturePtr unworn = seal.image();
        seal.setAging(50);
        seal.setAgingSeed(k);
        seal.Draw();
        const plomet::PicturePtr wornPicture = seal.image();
        benchmark::DoNotOptimize(plomet::exportBytes(*unworn, QStringLiteral("png"), options).constData());
        double a = 0, b = 0;
        if (k % 2 == 0) {
            a = timed(unworn);
            b = timed(wornPicture);
        } else {
            b = timed(wornPicture);
            a = timed(unworn);
        }
        plain.push_back(a);
        worn.push_back(b);
        added.push_back(b - a);
        state.SetIterationTime((a + b) / 1000.0);
        ++k;
    }
    auto median = [](std::vector<double> v) {
        if (v.empty())
            return 0.0;
        std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(v.size() / 2), v.end());
        return v[v.size() / 2];
    };
    state.counters["plain_ms"] = median(plain);
    state.counters["worn_ms"] = median(worn);
    state.counters["added_ms"] = median(added);
}
BENCHMARK(BM_Png300WearAdded)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(200)->Repetitions(3)
    ->ReportAggregatesOnly(true);

// The wear pass alone (level 50) over the ink of a 300-dpi PNG of the
// default seal, as the PNG writer makes it (coverage, a byte a pixel): the
// part of the figures above that the wear itself costs. The copy of the
// unworn ink it starts from is not timed.
void BM_WearPass300(benchmark::State& state)
{
    plomet::Plomet seal;
    seal.InitProperties();
    seal.setAging(50);
    seal.setAgingSeed(7);
    seal.Draw();
    const plomet::DrawingModel model = seal.image()->model();
    plomet::RenderOptions unworn;
    unworn.transparent = true;
    unworn.leaveWear = true;
    const QImage ink = plomet::rasterize(model, 300, unworn).convertToFormat(QImage::Format_Alpha8);
    for (auto _ : state) {
        state.PauseTiming();
        QImage image = ink.copy();
        state.ResumeTiming();
        plomet::applyWearAlpha(image, model, 300 / 1440.0, QPointF(0, 0));
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_WearPass300)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

void BM_DrawLongName(benchmark::State& state)
{
    plomet::Plomet seal;
    seal.InitProperties();
    seal.setSpace(0);
    seal.setRText(QString(static_cast<int>(state.range(0)), QChar(0x516c)));
    for (auto _ : state)
        seal.Draw();
}
BENCHMARK(BM_DrawLongName)->Arg(1000)->Arg(32767)->Unit(benchmark::kMillisecond);

// The classic seal beside the newer forms (the oval of about the classic
// seal's area, the round seal at its size), each Draw on a different name
// (the counter in the name), so text widths and glyph images are not all
// ready from the previous round. Arg: 0 classic, 1 oval invoice seal, 2 round
// seal with a code along the lower arc.
void formSeal(plomet::Plomet& seal, int form, int k)
{
    constexpr double mm = 1440.0 / 25.4;
    seal.InitProperties();
    const QString name = QStringLiteral("甲乙丙科技发展有限公司%1").arg(k);
    seal.setRText(name);
    if (form == 1) {
        seal.setWidth(float(42.0 * mm));
        seal.setHeight(float(31.5 * mm));
        seal.setShape(plomet::Shape::Oval);
        seal.setRingWidth(1.0 * mm);
        seal.setFit(true);
        seal.setMidText(QStringLiteral("9111010%1MA01234567").arg(k % 10));
        seal.setMidFontSize(10.5f);
        seal.setMidTextWidth(23.4 * mm);
        seal.setPText1(QStringLiteral("发票专用章"));
    } else if (form == 2) {
        // The classic seal's size, so that the two compare form for form.
        seal.setRingWidth(1.0 * mm);
        seal.setFit(true);
        seal.setCodeText(QStringLiteral("12345678%1").arg(10000 + k % 1000));
        seal.setPText1(QStringLiteral("合同专用章"));
    }
}

void BM_DrawForm(benchmark::State& state)
{
    plomet::Plomet seal;
    int k = 0;
    formSeal(seal, int(state.range(0)), k);
    for (auto _ : state) {
        seal.setRText(QStringLiteral("甲乙丙科技发展有限公司%1").arg(++k));
        seal.Draw();
        benchmark::DoNotOptimize(seal.image()->pixels().constBits());
    }
}
BENCHMARK(BM_DrawForm)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Repetitions(5)
    ->ReportAggregatesOnly(true);

// 600-dpi rasters of 16 different seals of each form in turn.
void BM_RasterForm600(benchmark::State& state)
{
    std::vector<plomet::DrawingModel> models;
    for (int k = 0; k < 16; ++k) {
        plomet::Plomet seal;
        formSeal(seal, int(state.range(0)), k);
        seal.Draw();
        models.push_back(seal.image()->model());
    }
    size_t i = 0;
    for (auto _ : state) {
        const QImage img = plomet::rasterize(models[i++ % models.size()], 600);
        benchmark::DoNotOptimize(img.constBits());
    }
}
BENCHMARK(BM_RasterForm600)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Repetitions(5)
    ->ReportAggregatesOnly(true);

// Every prefix's width of a name of mixed scripts (one shaping pass): the
// time should grow with the length, not with its square.
void BM_PrefixWidths(benchmark::State& state)
{
    plomet::RecordingSurface surface;
    surface.setFontName(QStringLiteral("宋体"));
    surface.setFontSize(11);
    QString text;
    while (text.size() < state.range(0))
        text += QStringLiteral("Ａ1,2.3(深圳)科技");
    text.truncate(static_cast<qsizetype>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(surface.PrefixWidths(text).back());
}
BENCHMARK(BM_PrefixWidths)->Arg(1024)->Arg(4096)->Arg(32767)->Unit(benchmark::kMillisecond);

void BM_RenderCommand(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("seal.png"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    for (auto _ : state) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(cliPath(), {QStringLiteral("render"), QStringLiteral("-o"), out});
        if (!p.waitForFinished(30000) || p.exitCode() != 0) {
            state.SkipWithError("plomet render failed");
            break;
        }
    }
}
BENCHMARK(BM_RenderCommand)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20)
    ->Repetitions(3)->ReportAggregatesOnly(true);

// A folder of 1000 copies of one description file: one seal drawn again and
// again, which measures the caches (labelled "repeated seal").
const QStringList& batchInputs(QTemporaryDir& dir)
{
    static QStringList inputs;
    if (!inputs.isEmpty())
        return inputs;
    const QString first = dir.filePath(QStringLiteral("seal0.PMF"));
    QProcess::execute(QStringLiteral(PLOMET_CLI_PATH),
                      {QStringLiteral("write"), first, QStringLiteral("--set"), QStringLiteral("rText=甲乙丙科技有限公司")});
    inputs << first;
    for (int i = 1; i < 1000; ++i) {
        const QString copy = dir.filePath(QStringLiteral("seal%1.PMF").arg(i));
        QFile::copy(first, copy);
        inputs << copy;
    }
    return inputs;
}

// Repeated seal: 1000 copies of one description file to PNG in one call.
void BM_BatchRepeatedSeal(benchmark::State& state)
{
    static QTemporaryDir dir;
    const QStringList& inputs = batchInputs(dir);
    const QString out = dir.filePath(QStringLiteral("out"));
    QDir().mkpath(out);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    for (auto _ : state) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(cliPath(), QStringList{QStringLiteral("render")} + inputs
                    + QStringList{QStringLiteral("-d"), out, QStringLiteral("--dpi"), QString::number(state.range(0))});
        if (!p.waitForFinished(600000) || p.exitCode() != 0) {
            state.SkipWithError("plomet render failed");
            break;
        }
    }
    state.counters["seals_per_s"] =
        benchmark::Counter(double(inputs.size()) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BatchRepeatedSeal)->Arg(96)->Arg(600)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)
    ->Repetitions(3)->ReportAggregatesOnly(true);

// The description files of a set of 1000 distinct seals, written once into
// a tmpfs folder (so the disk is not what is timed).
const QStringList& distinctInputs(plomet::test::SealSet set)
{
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/plomet-bench-XXXXXX")
                                                                       : QDir::tempPath() + QStringLiteral("/plomet-bench-XXXXXX"));
    static QStringList inputs[2];
    QStringList& files = inputs[set == plomet::test::SealSet::A ? 0 : 1];
    if (!files.isEmpty())
        return files;
    const QString tag = set == plomet::test::SealSet::A ? QStringLiteral("A") : QStringLiteral("B");
    int i = 0;
    for (const auto& spec : plomet::test::sealSet(set, 1000)) {
        plomet::Plomet seal;
        seal.InitProperties();
        spec.applyTo(seal);
        const QString path = dir.filePath(QStringLiteral("%1-%2.PMF").arg(tag).arg(i++, 4, 10, QLatin1Char('0')));
        plomet::SavePMF(seal, path);
        files << path;
    }
    return files;
}

// Distinct seals through the command, as a user runs a batch: 1000
// description files to 300 x 300 px PNGs (--dpi 210) in a tmpfs folder, the
// process pinned to one core, its start included. range(0): 0 set A, 1 set B.
// The seals share their size, as the seals of one preset do, so the
// rasteriser lays their common band down from the coverage it kept, and so
// the glyphs of the words names share (the legal form, the trade) where
// they fall at the same place, on names of the same length.
// Every run starts with the program's caches empty (cold); the system's file
// cache is warm after the first.
void BM_BatchDistinctOneCore(benchmark::State& state)
{
    const auto set = state.range(0) == 0 ? plomet::test::SealSet::A : plomet::test::SealSet::B;
    const QStringList& inputs = distinctInputs(set);
    const QString out = QFileInfo(inputs.first()).absolutePath() + QStringLiteral("/out");
    QDir().mkpath(out);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), QFileInfo(inputs.first()).absolutePath());
    for (auto _ : state) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral("taskset"), QStringList{QStringLiteral("-c"), QStringLiteral("0"), cliPath(),
                                                       QStringLiteral("render")}
                    + inputs + QStringList{QStringLiteral("-d"), out, QStringLiteral("--dpi"), QStringLiteral("210")});
        if (!p.waitForFinished(600000) || p.exitCode() != 0) {
            state.SkipWithError("plomet render failed");
            break;
        }
    }
    state.counters["ms_per_seal"] = benchmark::Counter(
        double(inputs.size()) * double(state.iterations()) / 1000.0,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_BatchDistinctOneCore)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

// Distinct seals at 600 dpi on every core: seals per second.
void BM_BatchDistinct600(benchmark::State& state)
{
    const QStringList& inputs = distinctInputs(plomet::test::SealSet::B);
    const QString out = QFileInfo(inputs.first()).absolutePath() + QStringLiteral("/out600");
    QDir().mkpath(out);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), QFileInfo(inputs.first()).absolutePath());
    for (auto _ : state) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(cliPath(), QStringList{QStringLiteral("render")} + inputs
                    + QStringList{QStringLiteral("-d"), out, QStringLiteral("--dpi"), QStringLiteral("600")});
        if (!p.waitForFinished(600000) || p.exitCode() != 0) {
            state.SkipWithError("plomet render failed");
            break;
        }
    }
    state.counters["seals_per_s"] =
        benchmark::Counter(double(inputs.size()) * double(state.iterations()), benchmark::Counter::kIsRate);
    // The largest resident set of any program this benchmark process has
    // waited for (the 600-dpi batches are the largest it starts).
    rusage usage{};
    if (getrusage(RUSAGE_CHILDREN, &usage) == 0)
        state.counters["peak_MB"] = double(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_BatchDistinct600)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)
    ->Repetitions(5)->ReportAggregatesOnly(true);

// In process, one thread: Draw and the PNG bytes at 210 dpi for each seal of
// a set. range(0): 0 set A, 1 set B. range(1): 0 cold, every iteration a
// new slice of 100 seals that this process has never drawn; 1 warm, the
// same 100 seals every iteration.
void BM_DrawEncodeDistinct(benchmark::State& state)
{
    const auto set = state.range(0) == 0 ? plomet::test::SealSet::A : plomet::test::SealSet::B;
    const bool warm = state.range(1) == 1;
    constexpr int kSlice = 100;
    // Generated before the clock runs: many cold slices, one warm one.
    // Enough for every iteration of every repetition; the slice at 0 is
    // the warm one, which the cold runs never reach.
    static std::vector<plomet::test::SealSpec> specs[2];
    static size_t coldOffset[2] = {0, 0};
    auto& all = specs[state.range(0)];
    if (all.empty())
        all = plomet::test::sealSet(set, 8000, state.range(0) == 0 ? 0 : 8000);
    plomet::ExportOptions options;
    options.dpi = 210;
    size_t offset = 0;
    size_t& nextCold = coldOffset[state.range(0)];
    plomet::Plomet seal;
    for (auto _ : state) {
        if (!warm) {
            nextCold = nextCold + kSlice < all.size() ? nextCold + kSlice : kSlice;
            offset = nextCold;
        }
        for (int i = 0; i < kSlice; ++i) {
            seal.InitProperties();
            all[offset + static_cast<size_t>(i)].applyTo(seal);
            seal.Draw();
            benchmark::DoNotOptimize(plomet::exportBytes(*seal.image(), QStringLiteral("png"), options));
        }
    }
    state.counters["ms_per_seal"] = benchmark::Counter(
        double(kSlice) * double(state.iterations()) / 1000.0,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_DrawEncodeDistinct)->Args({0, 0})->Args({0, 1})->Args({1, 0})->Args({1, 1})
    ->ArgNames({"setB", "warm"})->Unit(benchmark::kMillisecond)->Iterations(25)->Repetitions(3)
    ->ReportAggregatesOnly(true);

// In process, one thread: the same seal again and again (caches warm;
// labelled as such), for comparison with the distinct seals above.
void BM_DrawEncodeRepeatedSeal(benchmark::State& state)
{
    plomet::ExportOptions options;
    options.dpi = 210;
    plomet::Plomet seal;
    seal.InitProperties();
    for (auto _ : state) {
        seal.Draw();
        benchmark::DoNotOptimize(plomet::exportBytes(*seal.image(), QStringLiteral("png"), options));
    }
}
BENCHMARK(BM_DrawEncodeRepeatedSeal)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

// What FreeType and Qt cost per glyph of a distinct name, by the glyph's
// size in device pixels (12 pt is 16 px on the screen, 35 at 210 dpi, 50 at
// 300 dpi, 100 at 600 dpi) and face (range(1): 0 黑体, 1 宋体, 2 楷体, bold),
// and whether keeping outlines would help. Every glyph is turned to an angle
// of its own, as on the arc. Counters, in
// microseconds a glyph:
//   outline  the glyph's outline read from the face (what an outline cache
//            would save);
//   render   the turned glyph rendered by the face's engine, as Qt draws
//            glyphs under 64 px (no outline is kept on that path);
//   fill     the turned outline filled with anti-aliasing, as Qt draws
//            larger glyphs (what an outline cache would still pay).
void BM_GlyphCost(benchmark::State& state)
{
    const int px = static_cast<int>(state.range(0));
    static const char* const faces[] = {"黑体", "宋体", "楷体"};
    QSet<char32_t> seen;
    std::vector<quint32> glyphs;
    const QRawFont raw =
        QRawFont::fromFont(plomet::makeFont(QString::fromUtf8(faces[state.range(1)]), px, 800));
    for (const auto& spec : plomet::test::sealSet(plomet::test::SealSet::A, 300))
        for (char32_t cp : spec.rText.toUcs4())
            if (!seen.contains(cp)) {
                seen.insert(cp);
                const QList<quint32> indexes = raw.glyphIndexesForString(QString::fromUcs4(&cp, 1));
                if (indexes.size() == 1 && indexes.first() != 0)
                    glyphs.push_back(indexes.first());
            }
    if (glyphs.empty()) {
        state.SkipWithError("no glyphs in the face");
        return;
    }
    QImage canvas(3 * px, 3 * px, QImage::Format_ARGB32_Premultiplied);
    using Clock = std::chrono::steady_clock;
    double outline = 0, render = 0, fill = 0;
    int turn = 0;
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing);
    for (auto _ : state) {
        for (quint32 g : glyphs) {
            QTransform t;
            t.rotate(++turn * 1.37);   // a new angle every glyph
            const auto t0 = Clock::now();
            const QPainterPath path = raw.pathForGlyph(g);
            const auto t1 = Clock::now();
            const QImage alpha = raw.alphaMapForGlyph(g, QRawFont::PixelAntialiasing, t);
            const auto t2 = Clock::now();
            painter.setTransform(t * QTransform::fromTranslate(1.5 * px, 1.5 * px));
            painter.fillPath(path, Qt::black);
            const auto t3 = Clock::now();
            benchmark::DoNotOptimize(alpha.constBits());
            outline += std::chrono::duration<double, std::micro>(t1 - t0).count();
            render += std::chrono::duration<double, std::micro>(t2 - t1).count();
            fill += std::chrono::duration<double, std::micro>(t3 - t2).count();
        }
    }
    const double n = double(glyphs.size()) * double(state.iterations());
    state.counters["outline_us"] = outline / n;
    state.counters["render_us"] = render / n;
    state.counters["fill_us"] = fill / n;
    state.counters["glyphs"] = double(glyphs.size());
}
BENCHMARK(BM_GlyphCost)->ArgsProduct({{16, 35, 50, 100}, {0, 1, 2}})->Unit(benchmark::kMillisecond)
    ->Iterations(5)->Repetitions(3)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    plomet::installFaceSubstitutions();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
