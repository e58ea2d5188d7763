// plomet render: draws a seal and writes it as an image.
#include "cli/cli.h"

#include "seal/Errors.h"
#include "formats/Export.h"
#include "seal/Fonts.h"
#include "seal/Gdi.h"
#include "seal/NumberText.h"
#include "formats/PmfFile.h"
#include "seal/Plomet.h"
#include "seal/Properties.h"

#include <QCommandLineParser>
#include <QDir>
#include <QHash>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>
#include <cstdio>

#ifdef __linux__
#include <sched.h>
#endif

namespace plomet {

namespace {

const char kRenderHelp[] =
    "Usage: plomet render [SEAL.PMF] -o OUT [options]\n"
    "       plomet render SEAL.PMF... -d OUTDIR [--format png|bmp|svg|pdf] [options]\n"
    "\n"
    "Draws a brand-new seal (2055 x 2055 twips), or the seal that the\n"
    "description file SEAL.PMF describes (its size from the file), and writes\n"
    "it to OUT; the format follows OUT's extension (.png .bmp .svg .pdf).\n"
    "With -d, every SEAL.PMF given is drawn to OUTDIR/<name>.<format> (PNG\n"
    "unless --format says otherwise), on all cores; a file that fails is\n"
    "reported on one line and the others are still drawn.\n"
    "\n"
    "  -o, --output FILE     the image to write\n"
    "  -d, --directory DIR   batch: the folder for the images (made when it\n"
    "                        does not exist)\n"
    "  --format EXT          batch: png (default), bmp, svg or pdf\n"
    "  --preset NAME         start from a common seal: 公章 (round, 42 mm, 1.2 mm\n"
    "                        band, star), 合同专用章 or 财务专用章 (round, 40 mm,\n"
    "                        1 mm band), 发票专用章 (oval 40 x 30 mm); the size is\n"
    "                        the outer edge of the band; --set applies after it\n"
    "  --set NAME=VALUE      assign a property before drawing (the list below);\n"
    "                        NAME in any letter case; VALUE as the description\n"
    "                        file writes it: plain decimal numbers, True/False;\n"
    "                        lengths also in millimetres (42mm, 1.2mm), colours\n"
    "                        also as #RRGGBB; an empty VALUE is the empty text\n"
    "  --dpi N               resolution of PNG and BMP (default 96: the screen\n"
    "                        picture pixel for pixel); size = twips x N / 1440\n"
    "  --transparent         no background (PNG, SVG, PDF; BMP stays opaque)\n"
    "\n"
    "A character that no installed face can draw, and a face style with no\n"
    "installed face (仿宋 on Debian: drawn as 宋体), are named on stderr (as a\n"
    "warning; the image is still written).\n"
    "Nothing is written for a seal that fails; an existing file stays as it\n"
    "was. Exit codes: 0 all written, 1 a seal could not be read, drawn or\n"
    "written (in a batch: at least one), 2 bad command line.\n"
    "\n"
    "Properties (--set NAME=VALUE; new seal: the value a brand-new seal has):\n";

// One line per character of a drawn text that no installed face can draw,
// naming the property and the character.
QStringList glyphWarnings(const Plomet& seal)
{
    const struct { const char* name; QString text; } texts[] = {
        {"rText", seal.rText()},
        {"MidSign", seal.ShowStar() ? seal.MidSign().left(seal.MidSign().size() > 1
                                                          && seal.MidSign()[0].isHighSurrogate() ? 2 : 1)
                                    : QString()},
        {"pText", seal.pText()},
        {"pText1", seal.pText1()},
    };
    QStringList out;
    bool drawsText = false;
    for (const auto& t : texts)
        drawsText = drawsText || !t.text.isEmpty();
    if (drawsText) {
        const QString style = faceStyleWarning(seal.FontName());
        if (!style.isEmpty())
            out << QStringLiteral("warning: FontName: ") + style;
    }
    // The name's glyphs are made from a font record that holds the face name
    // in GBK; a name GBK cannot hold draws with the nearest installed face.
    LogFont record;
    if (!seal.rText().isEmpty() && !setFaceName(record, seal.FontName()))
        out << QStringLiteral("warning: FontName: '%1' cannot be written in GBK; "
                              "the company name is drawn with the nearest installed face")
                   .arg(seal.FontName());
    for (const auto& t : texts)
        for (char32_t cp : missingGlyphs(seal.FontName(), t.text))
            out << QStringLiteral("warning: %1: no glyph for '%2' (U+%3) in %4 or any fallback face; "
                                  "it is drawn as an empty box")
                       .arg(QLatin1String(t.name), QString::fromUcs4(&cp, 1),
                            QStringLiteral("%1").arg(uint(cp), 4, 16, QLatin1Char('0')).toUpper(),
                            seal.FontName());
    return out;
}

// Writes an image's bytes to its file (the batch hands them to the threads
// that wait for the disk).
using ImageWriter = std::function<void(const QString& path, const QByteArray& bytes)>;

// Draws one seal (a new one, or the description file's) with the settings
// applied, and writes it. Returns the glyph warnings.
QStringList renderOne(const QString& pmf, const QString& preset, const QStringList& settings,
                      const QString& output, const ExportOptions& options,
                      const ImageWriter& write = writeExportedFile)
{
    QStringList warnings;
    const PicturePtr picture = drawSealFor(
        [&](Plomet& seal) {
            if (!pmf.isEmpty())
                LoadPMF(seal, pmf);
            if (!preset.isEmpty())
                applyPreset(seal, preset);
            for (const QString& assignment : settings)
                applySetting(seal, assignment);
            warnings = glyphWarnings(seal);
        },
        QFileInfo(output).suffix().toLower(), options);
    write(output, exportBytes(*picture, exportFormatOf(output), options));
    return warnings;
}

// The cores this process may run on: those of its affinity mask (taskset,
// a container's cpuset), not all of the machine's. A second drawing thread
// on one core only takes turns with the first and opens every face again.
unsigned usableCores()
{
#ifdef __linux__
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return static_cast<unsigned>(CPU_COUNT(&set));
#endif
    return std::max(1u, std::thread::hardware_concurrency());
}

// Renders every input on all cores; one line per failure, in input order.
int renderBatch(const QStringList& inputs, const QString& dir, const QString& format,
                const QString& preset, const QStringList& settings, const ExportOptions& options)
{
    std::vector<QString> errors(static_cast<size_t>(inputs.size()));
    std::vector<QStringList> warnings(static_cast<size_t>(inputs.size()));
    // Two inputs with the same name (from different folders, or given
    // twice) would write the same image: the later ones are refused.
    std::vector<bool> skip(static_cast<size_t>(inputs.size()), false);
    QHash<QString, qsizetype> firstWithName;
    for (qsizetype i = 0; i < inputs.size(); ++i) {
        const QString name = QFileInfo(inputs[i]).completeBaseName();
        const auto it = firstWithName.constFind(name);
        if (it == firstWithName.constEnd()) {
            firstWithName.insert(name, i);
            continue;
        }
        skip[static_cast<size_t>(i)] = true;
        errors[static_cast<size_t>(i)] = QDir::toNativeSeparators(inputs[i])
            + QStringLiteral(": not drawn, its image %1.%2 is already %3's")
                  .arg(name, format, QDir::toNativeSeparators(inputs[*it]));
    }
    // The images go to the disk on threads of their own: each is synced
    // before it is put in place, and the drawing threads go on meanwhile.
    // A few images at most wait, so a slow disk does not fill the memory.
    // One waiter is woken for each change, the one it concerns: waking
    // every thread for every image cost a batch on one core about six
    // thread switches a seal.
    std::mutex mutex;
    std::condition_variable queued;   // an image waits, or all are drawn
    std::condition_variable taken;    // there is room for another image
    std::deque<std::pair<qsizetype, std::pair<QString, QByteArray>>> waiting;
    constexpr size_t kMaxWaiting = 4;
    bool drawn = false;
    auto queue = [&](qsizetype i) -> ImageWriter {
        return [&, i](const QString& path, const QByteArray& bytes) {
            {
                std::unique_lock<std::mutex> lock(mutex);
                taken.wait(lock, [&] { return waiting.size() < kMaxWaiting; });
                waiting.push_back({i, {path, bytes}});
            }
            queued.notify_one();
        };
    };
    auto write = [&] {
        for (;;) {
            std::unique_lock<std::mutex> lock(mutex);
            queued.wait(lock, [&] { return !waiting.empty() || drawn; });
            if (waiting.empty())
                return;
            const auto [i, image] = std::move(waiting.front());
            waiting.pop_front();
            lock.unlock();
            taken.notify_one();
            try {
                writeExportedFile(image.first, image.second);
            } catch (const PlometError& e) {
                errors[static_cast<size_t>(i)] = QDir::toNativeSeparators(inputs[i]) + QStringLiteral(": ") + e.message();
            } catch (const std::exception& e) {
                errors[static_cast<size_t>(i)] = QDir::toNativeSeparators(inputs[i]) + QStringLiteral(": ")
                                               + QString::fromLocal8Bit(e.what());
            }
        }
    };
    std::atomic<qsizetype> next{0};
    auto draw = [&] {
        for (qsizetype i = next++; i < inputs.size(); i = next++) {
            if (skip[static_cast<size_t>(i)])
                continue;
            const QString out = QDir(dir).filePath(QFileInfo(inputs[i]).completeBaseName()
                                                   + QLatin1Char('.') + format);
            try {
                warnings[static_cast<size_t>(i)] =
                    renderOne(inputs[i], preset, settings, out, options, queue(i));
            } catch (const PlometError& e) {
                errors[static_cast<size_t>(i)] = QDir::toNativeSeparators(inputs[i]) + QStringLiteral(": ") + e.message();
            } catch (const std::exception& e) {
                errors[static_cast<size_t>(i)] = QDir::toNativeSeparators(inputs[i]) + QStringLiteral(": ")
                                               + QString::fromLocal8Bit(e.what());
            }
        }
    };
    // Every thread that draws opens each font face it draws with on its own
    // (the font engines are per thread) and maps the face's file again:
    // about 75 MB a drawing thread in a batch of many faces at 600 dpi. So
    // at most two threads draw and compress, whatever the number of cores;
    // two keep two cores busy now that none of them waits for the disk.
    constexpr unsigned kMaxDrawing = 2;
    constexpr unsigned kWriting = 2;
    const unsigned cores = usableCores();
    const unsigned drawing = static_cast<unsigned>(std::min<qsizetype>(std::min(cores, kMaxDrawing), inputs.size()));
    std::vector<std::thread> writers;
    for (unsigned t = 0; t < kWriting; ++t)
        writers.emplace_back(write);
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < drawing; ++t)
        pool.emplace_back(draw);
    draw();
    for (auto& t : pool)
        t.join();
    {
        std::lock_guard<std::mutex> lock(mutex);
        drawn = true;
    }
    queued.notify_all();
    for (auto& t : writers)
        t.join();
    int failed = 0;
    for (size_t i = 0; i < errors.size(); ++i) {
        const QString name = QDir::toNativeSeparators(inputs[static_cast<qsizetype>(i)]);
        for (const QString& w : warnings[i])
            printError(name + QStringLiteral(": ") + w);
        if (!errors[i].isEmpty()) {
            printError(errors[i]);
            ++failed;
        }
    }
    return failed == 0 ? kExitOk : kExitFailed;
}

} // namespace

int cmdRender(QStringList args)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption outputOpt({QStringLiteral("o"), QStringLiteral("output")},
                                       QStringLiteral("output file"), QStringLiteral("FILE"));
    const QCommandLineOption dirOpt({QStringLiteral("d"), QStringLiteral("directory")},
                                    QStringLiteral("output folder"), QStringLiteral("DIR"));
    const QCommandLineOption formatOpt(QStringLiteral("format"), QStringLiteral("batch format"),
                                       QStringLiteral("EXT"), QStringLiteral("png"));
    const QCommandLineOption setOpt(QStringLiteral("set"), QStringLiteral("property"),
                                    QStringLiteral("NAME=VALUE"));
    const QCommandLineOption presetOpt(QStringLiteral("preset"), QStringLiteral("preset"),
                                       QStringLiteral("NAME"));
    const QCommandLineOption dpiOpt(QStringLiteral("dpi"), QStringLiteral("resolution"),
                                    QStringLiteral("N"), QStringLiteral("96"));
    const QCommandLineOption transparentOpt(QStringLiteral("transparent"), QStringLiteral("no background"));
    const QCommandLineOption helpOpt({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("help"));
    parser.addOptions({outputOpt, dirOpt, formatOpt, presetOpt, setOpt, dpiOpt, transparentOpt, helpOpt});

    args.prepend(QStringLiteral("plomet render"));
    if (!parser.parse(args)) {
        printError(parser.errorText());
        return kExitUsage;
    }
    if (parser.isSet(helpOpt)) {
        std::fputs(kRenderHelp, stdout);
        std::fputs(propertyHelp(2, 78).toUtf8().constData(), stdout);
        return kExitOk;
    }
    const QStringList inputs = parser.positionalArguments();
    const bool batch = parser.isSet(dirOpt);
    if (batch && parser.isSet(outputOpt)) {
        printError(QStringLiteral("give either -o OUT or -d OUTDIR, not both"));
        return kExitUsage;
    }
    if (batch && inputs.isEmpty()) {
        printError(QStringLiteral("-d OUTDIR wants description files (SEAL.PMF ...)"));
        return kExitUsage;
    }
    if (!batch && inputs.size() > 1) {
        printError(QStringLiteral("several description files need -d OUTDIR (unexpected '%1')").arg(inputs.at(1)));
        return kExitUsage;
    }
    if (!batch && !parser.isSet(outputOpt)) {
        printError(QStringLiteral("missing -o OUT (an image file: %1)")
                       .arg(exportFormats().join(QStringLiteral(", "))));
        return kExitUsage;
    }
    if (!batch && parser.isSet(formatOpt)) {
        printError(QStringLiteral("--format is for batches (-d OUTDIR); with -o the extension gives the format"));
        return kExitUsage;
    }
    const QString format = parser.value(formatOpt).toLower();
    if (!exportFormats().contains(format)) {
        printError(QStringLiteral("--format wants one of %1, not '%2'")
                       .arg(exportFormats().join(QStringLiteral(", ")), parser.value(formatOpt)));
        return kExitUsage;
    }
    if (parser.values(presetOpt).size() > 1) {
        printError(QStringLiteral("--preset given more than once"));
        return kExitUsage;
    }
    const QString preset = parser.value(presetOpt);
    if (parser.isSet(presetOpt) && !presetProblem(preset).isEmpty()) {
        printError(presetProblem(preset));
        return kExitUsage;
    }
    ExportOptions options;
    const auto dpi = parseStrictNumber(parser.value(dpiOpt));
    if (!dpi || !(*dpi > 0) || *dpi > 100000) {
        printError(QStringLiteral("--dpi wants a positive number, not '%1'").arg(parser.value(dpiOpt)));
        return kExitUsage;
    }
    options.dpi = *dpi;
    options.transparent = parser.isSet(transparentOpt);

    if (batch) {
        const QString dir = parser.value(dirOpt);
        // A folder that is not there yet is made, as an output file would be.
        if (!QDir().mkpath(dir) || !QFileInfo(dir).isDir()) {
            printError(QStringLiteral("cannot make the folder '%1'").arg(QDir::toNativeSeparators(dir)));
            return kExitFailed;
        }
        return renderBatch(inputs, dir, format, preset, parser.values(setOpt), options);
    }
    const QString output = parser.value(outputOpt);
    try {
        exportFormatOf(output);   // an unknown extension fails before any work
        const QStringList warnings =
            renderOne(inputs.isEmpty() ? QString() : inputs.first(), preset, parser.values(setOpt), output, options);
        for (const QString& w : warnings)
            printError(w);
    } catch (const PlometError& e) {
        printError(e.message());
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace plomet
