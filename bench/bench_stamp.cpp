// Stamping PDF documents: one seal on page 1 of a 500-page document, and a
// cross-page seal over 20 pages, each the whole stampPdf (open, plan, copy
// the seal in, write, sync, rename). Eight distinct seals (names, sizes)
// take turns, made before timing: the stamping keeps no cache of its own.
// BM_StampMemory runs `plomet stamp` on documents of 50 to 5000 pages and
// reports its peak memory beside the document's size.
#include "seal/Fonts.h"
#include "stamp/PdfStamp.h"
#include "seal/Plomet.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

QTemporaryDir& workDir()
{
    static QTemporaryDir dir;
    return dir;
}

// A document of `pages` A4 pages of text in Helvetica, made once.
QString document(int pages)
{
    const QString path = workDir().filePath(QStringLiteral("doc-%1.pdf").arg(pages));
    if (QFileInfo::exists(path))
        return path;
    QPDF pdf;
    pdf.emptyPDF();
    QPDFObjectHandle font = pdf.makeIndirectObject(
        QPDFObjectHandle::parse("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"));
    QPDFPageDocumentHelper doc(pdf);
    for (int n = 1; n <= pages; ++n) {
        std::string content;
        for (int line = 0; line < 45; ++line)
            content += "BT /F1 11 Tf 60 " + std::to_string(780 - line * 16) + " Td (Page " + std::to_string(n)
                     + ", line " + std::to_string(line) + ": the quick brown fox jumps over the lazy dog) Tj ET\n";
        QPDFObjectHandle page = pdf.makeIndirectObject(QPDFObjectHandle::parse(
            "<< /Type /Page /MediaBox [0 0 595.276 841.89] /Resources << /Font << /F1 null >> >> >>"));
        page.getKey("/Resources").getKey("/Font").replaceKey("/F1", font);
        page.replaceKey("/Contents", QPDFObjectHandle::newStream(&pdf, content));
        doc.addPage(QPDFPageObjectHelper(page), false);
    }
    // The writer keeps the file name until write(): it must outlive the writer.
    const QByteArray fileName = QFile::encodeName(path);
    QPDFWriter w(pdf, fileName.constData());
    w.setCompressStreams(true);
    w.setObjectStreamMode(qpdf_o_generate);
    w.write();
    return path;
}

const std::vector<plomet::StampSeal>& seals()
{
    static const std::vector<plomet::StampSeal> list = [] {
        const char* names[] = {"甲乙丙科技有限公司", "丁戊己贸易有限公司", "庚辛壬建设集团", "癸子丑餐饮管理有限公司",
                               "寅卯辰文化传媒有限公司", "巳午未物流有限公司", "申酉戌医药有限公司", "亥天地软件有限公司"};
        std::vector<plomet::StampSeal> out;
        for (int i = 0; i < 8; ++i) {
            plomet::Plomet seal;
            seal.InitProperties();
            seal.setRText(QString::fromUtf8(names[i]));
            seal.setWidth(1900 + 60 * i);
            seal.setHeight(1900 + 60 * i);
            seal.Draw();
            out.push_back(plomet::stampSealFromPicture(*seal.image()));
        }
        return out;
    }();
    return list;
}

void stampLoop(benchmark::State& state, const QString& in, const plomet::StampPlacement& placement)
{
    const QString out = workDir().filePath(QStringLiteral("out.pdf"));
    size_t i = 0;
    for (auto _ : state) {
        try {
            plomet::stampPdf(in, out, seals()[i++ % seals().size()], placement);
        } catch (const std::exception& e) {
            state.SkipWithError(e.what());
            break;
        }
    }
}

void BM_StampPage1Of500(benchmark::State& state)
{
    const QString in = document(500);
    seals();
    plomet::StampPlacement placement;
    placement.pages = QStringLiteral("1");
    placement.xMm = 150;
    placement.yMm = 240;
    placement.angleDeg = 12;
    stampLoop(state, in, placement);
}
BENCHMARK(BM_StampPage1Of500)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5)->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_StampCrossPage20(benchmark::State& state)
{
    const QString in = document(20);
    seals();
    plomet::StampPlacement placement;
    placement.straddle = true;
    placement.straddleYMm = 150;
    stampLoop(state, in, placement);
}
BENCHMARK(BM_StampCrossPage20)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10)->Repetitions(5)
    ->ReportAggregatesOnly(true);

// Peak memory of the command on documents of state.range(0) pages.
void BM_StampMemory(benchmark::State& state)
{
    const QString in = document(static_cast<int>(state.range(0)));
    const QByteArray inPath = QFile::encodeName(in);
    const QByteArray outPath = QFile::encodeName(workDir().filePath(QStringLiteral("mem.pdf")));
    long maxKb = 0;
    for (auto _ : state) {
        const char* argv[] = {PLOMET_CLI_PATH, "stamp", inPath.constData(), "-o", outPath.constData(),
                              "--at", "100,100", nullptr};
        pid_t pid = 0;
        if (posix_spawn(&pid, PLOMET_CLI_PATH, nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
            state.SkipWithError("cannot start plomet");
            break;
        }
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("plomet stamp failed");
            break;
        }
        maxKb = std::max(maxKb, usage.ru_maxrss);
    }
    state.counters["peak_MB"] = double(maxKb) / 1024;
    state.counters["document_MB"] = double(QFileInfo(in).size()) / (1024 * 1024);
}
BENCHMARK(BM_StampMemory)->Arg(50)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    plomet::installFaceSubstitutions();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
