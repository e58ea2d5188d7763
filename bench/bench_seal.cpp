// Draw of the default seal at screen size and its raster at 600 dpi, and the
// `plomet render` command as a whole (process start to exit).
#include "seal/Fonts.h"
#include "seal/Plomet.h"
#include "seal/Render.h"

#include <QGuiApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

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

void BM_RenderCommand(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("seal.png"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    for (auto _ : state) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(PLOMET_CLI_PATH), {QStringLiteral("render"), QStringLiteral("-o"), out});
        if (!p.waitForFinished(30000) || p.exitCode() != 0) {
            state.SkipWithError("plomet render failed");
            break;
        }
    }
}
BENCHMARK(BM_RenderCommand)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20)
    ->Repetitions(3)->ReportAggregatesOnly(true);

// A folder of 1000 description files (one written by `plomet write`, copied).
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

// Batch throughput: 1000 description files to PNG in one call.
void BM_Batch(benchmark::State& state)
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
        p.start(QStringLiteral(PLOMET_CLI_PATH), QStringList{QStringLiteral("render")} + inputs
                    + QStringList{QStringLiteral("-d"), out, QStringLiteral("--dpi"), QString::number(state.range(0))});
        if (!p.waitForFinished(600000) || p.exitCode() != 0) {
            state.SkipWithError("plomet render failed");
            break;
        }
    }
    state.counters["seals_per_s"] =
        benchmark::Counter(double(inputs.size()) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Batch)->Arg(96)->Arg(600)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)
    ->Repetitions(3)->ReportAggregatesOnly(true);

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
