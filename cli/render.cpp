// plomet render: draws a seal and writes it as an image.
#include "cli/cli.h"
#include "cli/Options.h"

#include "seal/Errors.h"
#include "formats/Export.h"
#include "seal/Fonts.h"
#include "seal/Gdi.h"
#include "seal/NumberText.h"
#include "formats/PmfFile.h"
#include "seal/Plomet.h"
#include "seal/Properties.h"
#include "seal/Render.h"
#include "seal/Units.h"
#include "seal/Warnings.h"
#include "formats/SealTable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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
#include <cmath>
#include <cstdio>
#include <string>
#include <unistd.h>

#ifdef __linux__
#include <sched.h>
#endif

namespace plomet {

namespace {

const char kRenderAbout[] = QT_TRANSLATE_NOOP(
    "Commands",
    "Usage: plomet render [SEAL.PMF] -o OUT [options]\n"
    "       plomet render SEAL.PMF... -d OUTDIR [--format png|bmp|svg|pdf] [options]\n"
    "       plomet render --table FILE.csv -d OUTDIR [options]\n"
    "\n"
    "Draws a brand-new seal (2055 x 2055 twips), or the seal that the\n"
    "description file SEAL.PMF describes (its size from the file), and writes\n"
    "it to OUT; the format follows OUT's extension (.png .bmp .svg .pdf).\n"
    "With -d, every SEAL.PMF given is drawn to OUTDIR/<name>.<format> (PNG\n"
    "unless --format says otherwise), on all cores; a file that fails is\n"
    "reported on one line and the others are still drawn. A table's optional\n"
    "'output' column names the images (else the row's number).\n");

const char kRenderNotes[] = QT_TRANSLATE_NOOP(
    "Commands",
    "A character that no installed face can draw, and a face style with no\n"
    "installed face (仿宋 on Debian: drawn as 宋体), are named on stderr (as a\n"
    "warning; the image is still written).\n"
    "Nothing is written for a seal that fails; an existing file stays as it\n"
    "was. Exit codes: 0 all written, 1 a seal could not be read, drawn or\n"
    "written (in a batch: at least one), 2 bad command line.\n"
    "\n"
    "Properties (--set NAME=VALUE; new seal: the value a brand-new seal has):\n");

// Writes an image's bytes to its file (the batch hands them to the threads
// that wait for the disk).
using ImageWriter = std::function<void(const QString& path, const QByteArray& bytes)>;

// What one render made: its bytes, the warnings about the seal, its size,
// and for a raster its pixels.
struct RenderedSeal {
    QByteArray bytes;
    QStringList warnings;
    QSizeF sizeMm;
    QSize pixels;
};

// One seal to draw and where it goes.
struct RenderJob {
    QString input;          // named in messages: the description file, or TABLE:LINE
    QString pmf;            // the description file; empty: a brand-new seal
    QStringList settings;   // NAME=VALUE, after the preset and --set
    QStringList settingAt;  // for each setting, where it came from ("column 3 (FontSize)"), or empty
    QString output;
    QString error;          // refused before drawing (a bad row, an image another job writes)
};

// The seal of a description file (or a new one) with the preset, the
// common settings and the job's own ones applied, in `format`. Without
// `warn` no warnings are looked for: finding them takes a twentieth of a
// seal's time, which a server answering with the bytes alone need not spend.
RenderedSeal renderSeal(const QString& pmf, const QString& preset, const QStringList& settings,
                        const QStringList& own, const QStringList& ownAt, const QString& format,
                        const ExportOptions& options, bool warn = true)
{
    RenderedSeal made;
    NameLayout layout;
    const PicturePtr picture = drawSealFor(
        [&](Plomet& seal) {
            applySealSettings(seal, pmf, preset, settings, own, ownAt);
            if (warn) {
                made.warnings = textWarnings(seal);
                layout = NameLayout::of(seal);
            }
        },
        format, options);
    if (warn) {
        // A table's size is in millimetres when a number alone; its own
        // settings are the row's.
        const bool sizeFromTable = std::any_of(own.begin(), own.end(), [](const QString& s) {
            return s.startsWith(QLatin1String("width="), Qt::CaseInsensitive)
                || s.startsWith(QLatin1String("height="), Qt::CaseInsensitive);
        });
        made.warnings += layoutWarnings(layout, picture->model(), sizeFromTable);
    }
    made.bytes = exportBytes(*picture, format, options);
    made.sizeMm = QSizeF(picture->model().widthTwips / kTwipsPerMm, picture->model().heightTwips / kTwipsPerMm);
    // The raster's size is the model's at the resolution; reading it back
    // from the bytes had Qt load every image plugin to find one that knows
    // them (a tenth of a lone render's instructions).
    if (format == QLatin1String("png") || format == QLatin1String("bmp"))
        made.pixels = rasterSize(picture->model().widthTwips, picture->model().heightTwips, options.dpi);
    return made;
}

// Draws one job's seal and writes it; the bytes are not kept.
RenderedSeal renderOne(const RenderJob& job, const QString& preset, const QStringList& settings,
                       const ExportOptions& options, const ImageWriter& write = writeExportedFile)
{
    RenderedSeal made = renderSeal(job.pmf, preset, settings, job.settings, job.settingAt,
                                   exportFormatOf(job.output), options);
    write(job.output, made.bytes);
    made.bytes.clear();
    return made;
}

QJsonObject jsonEntry(const RenderJob& job, const RenderedSeal& made, const QString& error)
{
    QJsonObject entry{{QStringLiteral("input"), job.input},
                      {QStringLiteral("output"), job.output},
                      {QStringLiteral("status"), error.isEmpty() ? QStringLiteral("ok") : QStringLiteral("failed")}};
    if (!error.isEmpty())
        entry.insert(QStringLiteral("message"), error);
    if (!made.warnings.isEmpty())
        entry.insert(QStringLiteral("warnings"), QJsonArray::fromStringList(made.warnings));
    if (error.isEmpty()) {
        entry.insert(QStringLiteral("widthMm"), std::round(made.sizeMm.width() * 100) / 100);
        entry.insert(QStringLiteral("heightMm"), std::round(made.sizeMm.height() * 100) / 100);
        if (made.pixels.isValid())
            entry.insert(QStringLiteral("pixels"), QJsonArray{made.pixels.width(), made.pixels.height()});
    }
    return entry;
}

} // namespace

QByteArray renderSealBytes(const QString& pmf, const QString& preset, const QStringList& settings,
                           const QString& format, const ExportOptions& options, QStringList* warnings)
{
    RenderedSeal made = renderSeal(pmf, preset, settings, {}, {}, format, options, warnings != nullptr);
    if (warnings)
        *warnings = made.warnings;
    return made.bytes;
}

void applySealSettings(Plomet& seal, const QString& pmf, const QString& preset, const QStringList& settings,
                       const QStringList& own, const QStringList& ownAt)
{
    if (!pmf.isEmpty())
        LoadPMF(seal, pmf);
    if (!preset.isEmpty())
        applyPreset(seal, preset);
    for (const QString& assignment : settings)
        applySetting(seal, assignment);
    for (qsizetype i = 0; i < own.size(); ++i) {
        try {
            applySetting(seal, own[i]);
        } catch (const PlometError& e) {
            if (ownAt.value(i).isEmpty())
                throw;
            throw PlometError(e.kind(), ownAt[i] + QStringLiteral(": ") + e.message());
        }
    }
}

std::vector<TableJob> readTableJobs(const QString& path, const QStringList& ownColumns)
{
    const SealTable sheet = readTable(path);
    const QString shown = QDir::toNativeSeparators(path);
    const QStringList known = settingNames();
    QHash<QString, int> own;   // lower-case name: column (from 1)
    for (qsizetype c = 0; c < sheet.header.size(); ++c) {
        const QString& name = sheet.header[c];
        const QString lower = name.toLower();
        if (ownColumns.contains(lower) && !own.contains(lower))
            own.insert(lower, int(c + 1));
        else if (!known.contains(name, Qt::CaseInsensitive))
            throw PlometError(PlometError::Kind::Format,
                              Cli::tr("%1:1: column %2: '%3' is no property (known: %4)")
                                  .arg(shown)
                                  .arg(c + 1)
                                  .arg(name, (ownColumns + known).join(QStringLiteral(", "))));
    }
    std::vector<TableJob> jobs;
    for (const TableRow& row : sheet.rows) {
        TableJob job;
        job.input = QStringLiteral("%1:%2").arg(shown).arg(row.line);
        job.columns = own;
        for (qsizetype c = 0; c < sheet.header.size(); ++c) {
            const QString value = row.cells[c].trimmed();
            const QString lower = sheet.header[c].toLower();
            if (own.value(lower) == c + 1) {
                job.cells.insert(lower, value);
                continue;
            }
            if (value.isEmpty())
                continue;
            // A spreadsheet's 42 is 42 mm.
            const bool plainNumber = parseStrictNumber(value).has_value();
            job.settings << sheet.header[c] + QLatin1Char('=') + value
                                + (plainNumber && isLengthSetting(sheet.header[c]) ? QStringLiteral("mm") : QString());
            job.settingAt << Cli::tr("column %1 (%2)").arg(c + 1).arg(sheet.header[c]);
        }
        jobs.push_back(std::move(job));
    }
    if (jobs.empty())
        throw PlometError(PlometError::Kind::Format, Cli::tr("%1: the table has no rows").arg(shown));
    return jobs;
}

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

namespace {

// Renders every job on all cores; one line per failure, in job order.
int renderBatch(std::vector<RenderJob> jobs, const QString& preset, const QStringList& settings,
                const ExportOptions& options, bool json)
{
    const size_t count = jobs.size();
    std::vector<QString> errors(count);
    std::vector<RenderedSeal> made(count);
    // Two jobs that would write the same image (inputs of one name from
    // different folders, given twice, rows with one output): the later ones
    // are refused.
    QHash<QString, size_t> firstWithOutput;
    const QDir here(QDir::currentPath());   // asked once, not once a seal
    for (size_t i = 0; i < count; ++i) {
        errors[i] = jobs[i].error;
        if (!errors[i].isEmpty())
            continue;
        const QString key = QDir::cleanPath(here.absoluteFilePath(jobs[i].output));
        const auto it = firstWithOutput.constFind(key);
        if (it == firstWithOutput.constEnd()) {
            firstWithOutput.insert(key, i);
            continue;
        }
        errors[i] = Cli::tr("not drawn, its image %1 is already %2's")
                        .arg(QFileInfo(jobs[i].output).fileName(), jobs[*it].input);
    }
    std::vector<bool> skip(count);
    for (size_t i = 0; i < count; ++i)
        skip[i] = !errors[i].isEmpty();
    Progress progress{qsizetype(count)};
    // The images go to the disk on threads of their own: each is synced
    // before it is put in place, and the drawing threads go on meanwhile.
    // A few images at most wait, so a slow disk does not fill the memory.
    // One waiter is woken for each change, the one it concerns: waking
    // every thread for every image cost a batch on one core about six
    // thread switches a seal.
    std::mutex mutex;
    std::condition_variable queued;   // an image waits, or all are drawn
    std::condition_variable taken;    // there is room for another image
    std::deque<std::pair<size_t, std::pair<QString, QByteArray>>> waiting;
    constexpr size_t kMaxWaiting = 4;
    bool drawn = false;
    auto queue = [&](size_t i) -> ImageWriter {
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
                errors[i] = e.message();
            } catch (const std::exception& e) {
                errors[i] = QString::fromLocal8Bit(e.what());
            }
            progress.step();
        }
    };
    std::atomic<size_t> next{0};
    auto draw = [&] {
        for (size_t i = next++; i < count; i = next++) {
            if (skip[i]) {
                progress.step();
                continue;
            }
            try {
                made[i] = renderOne(jobs[i], preset, settings, options, queue(i));
                continue;
            } catch (const PlometError& e) {
                errors[i] = e.message();
            } catch (const std::exception& e) {
                errors[i] = QString::fromLocal8Bit(e.what());
            }
            progress.step();
        }
    };
    // One drawing thread a usable core. The faces are opened and mapped once
    // for the whole process and the rasteriser keeps only the coverage of
    // its last few bands (at most 4 MB) and of the glyphs it met again (at
    // most 4 MB, and 32 MB for all threads), so a thread adds little more
    // than its pictures in flight and those: a 1000-seal batch of four faces
    // at 600 dpi on two cores peaked at 68 MB.
    constexpr unsigned kWriting = 2;
    const unsigned cores = usableCores();
    const unsigned drawing = static_cast<unsigned>(std::min<size_t>(cores, count));
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
    QJsonArray outputs;
    for (size_t i = 0; i < count; ++i) {
        for (const QString& w : made[i].warnings)
            printError(jobs[i].input + QStringLiteral(": ") + w);
        if (!errors[i].isEmpty()) {
            printError(jobs[i].input + QStringLiteral(": ") + errors[i]);
            ++failed;
        }
        outputs.append(jsonEntry(jobs[i], made[i], errors[i]));
    }
    if (json)
        printJson(outputs);
    return failed == 0 ? kExitOk : kExitFailed;
}

// The jobs of a table of seals: a row each (see readTableJobs); the
// "output" column names the image (without extension: the batch's format),
// else the row's number does.
std::vector<RenderJob> tableJobs(const QString& path, const QString& dir, const QString& format)
{
    std::vector<RenderJob> jobs;
    int number = 0;
    for (TableJob& row : readTableJobs(path, {QStringLiteral("output")})) {
        RenderJob job;
        job.input = row.input;
        QString name = row.cells.value(QStringLiteral("output")).trimmed();
        ++number;
        if (name.isEmpty())
            name = QString::number(number);
        // The image stays inside the folder: a name is a file name, nothing more.
        if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) || name == QLatin1String(".")
            || name == QLatin1String(".."))
            job.error = Cli::tr("column %1 (output): '%2' is not a file name")
                            .arg(row.columns.value(QStringLiteral("output")))
                            .arg(name);
        if (QFileInfo(name).suffix().isEmpty() || !exportFormats().contains(QFileInfo(name).suffix().toLower()))
            name += QLatin1Char('.') + format;
        job.output = QDir(dir).filePath(name);
        job.settings = std::move(row.settings);
        job.settingAt = std::move(row.settingAt);
        jobs.push_back(std::move(job));
    }
    return jobs;
}

} // namespace

int cmdRender(QStringList args)
{
    CommandLine parser(kCmdRender, "render", kRenderAbout, kRenderNotes);
    parser.setHelpTail([] { return propertyHelp(2, 78); });
    if (const auto done = parser.parse(args))
        return *done;
    const QCommandLineOption& outputOpt = parser.option("output");
    const QCommandLineOption& dirOpt = parser.option("directory");
    const QCommandLineOption& formatOpt = parser.option("format");
    const QCommandLineOption& setOpt = parser.option("set");
    const QCommandLineOption& presetOpt = parser.option("preset");
    const QCommandLineOption& dpiOpt = parser.option("dpi");
    const QCommandLineOption& transparentOpt = parser.option("transparent");
    const QCommandLineOption& tableOpt = parser.option("table");
    const QCommandLineOption& jsonOpt = parser.option("json");
    const QCommandLineOption& engraveOpt = parser.option("engrave");
    const QCommandLineOption& invertOpt = parser.option("invert");
    const QStringList inputs = parser.positionalArguments();
    const bool batch = parser.isSet(dirOpt);
    const bool table = parser.isSet(tableOpt);
    if (table && !batch) {
        printError(Cli::tr("--table wants -d OUTDIR (the folder for its images)"));
        return kExitUsage;
    }
    if (table && !inputs.isEmpty()) {
        printError(Cli::tr("give either --table FILE or description files, not both (unexpected '%1')")
                       .arg(inputs.first()));
        return kExitUsage;
    }
    if (batch && parser.isSet(outputOpt)) {
        printError(Cli::tr("give either -o OUT or -d OUTDIR, not both"));
        return kExitUsage;
    }
    if (batch && inputs.isEmpty() && !table) {
        printError(Cli::tr("-d OUTDIR wants description files (SEAL.PMF ...)"));
        return kExitUsage;
    }
    if (!batch && inputs.size() > 1) {
        printError(Cli::tr("several description files need -d OUTDIR (unexpected '%1')").arg(inputs.at(1)));
        return kExitUsage;
    }
    if (!batch && !parser.isSet(outputOpt)) {
        printError(Cli::tr("missing -o OUT (an image file: %1)")
                       .arg(exportFormats().join(QStringLiteral(", "))));
        return kExitUsage;
    }
    if (!batch && parser.isSet(formatOpt)) {
        printError(Cli::tr("--format is for batches (-d OUTDIR); with -o the extension gives the format"));
        return kExitUsage;
    }
    const QString format = parser.value(formatOpt).toLower();
    if (!exportFormats().contains(format)) {
        printError(Cli::tr("--format wants one of %1, not '%2'")
                       .arg(exportFormats().join(QStringLiteral(", ")), parser.value(formatOpt)));
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
        printError(Cli::tr("--dpi wants a positive number, not '%1'").arg(parser.value(dpiOpt)));
        return kExitUsage;
    }
    options.dpi = *dpi;
    options.transparent = parser.isSet(transparentOpt);
    options.engrave = parser.isSet(engraveOpt);
    options.invert = parser.isSet(invertOpt);
    if (options.invert && !options.engrave) {
        printError(Cli::tr("--invert is for engravings: give --engrave with it"));
        return kExitUsage;
    }
    if (options.engrave) {
        // A table's rows may name their own formats: a raster one fails as
        // that row's error.
        const QString given = batch ? format : QFileInfo(parser.value(outputOpt)).suffix().toLower();
        if ((!table || parser.isSet(formatOpt)) && exportFormats().contains(given) && !engraveFormat(given)) {
            printError(Cli::tr("--engrave makes SVG or PDF outlines, not %1 (write .svg or .pdf)")
                           .arg(given.toUpper()));
            return kExitUsage;
        }
    }

    if (batch) {
        const QString dir = parser.value(dirOpt);
        // A folder that is not there yet is made, as an output file would be.
        if (!QDir().mkpath(dir) || !QFileInfo(dir).isDir()) {
            printError(Cli::tr("cannot make the folder '%1'").arg(QDir::toNativeSeparators(dir)));
            return kExitFailed;
        }
        std::vector<RenderJob> jobs;
        if (table) {
            try {
                jobs = tableJobs(parser.value(tableOpt), dir, format);
            } catch (const PlometError& e) {
                printError(e.message());
                return kExitFailed;
            }
        } else {
            for (const QString& input : inputs)
                jobs.push_back({QDir::toNativeSeparators(input), input, {}, {},
                                QDir(dir).filePath(QFileInfo(input).completeBaseName() + QLatin1Char('.') + format),
                                {}});
        }
        return renderBatch(std::move(jobs), preset, parser.values(setOpt), options, parser.isSet(jsonOpt));
    }
    RenderJob job;
    job.pmf = inputs.isEmpty() ? QString() : inputs.first();
    job.input = QDir::toNativeSeparators(job.pmf);
    job.output = parser.value(outputOpt);
    RenderedSeal made;
    QString error;
    try {
        exportFormatOf(job.output);   // an unknown extension fails before any work
        made = renderOne(job, preset, parser.values(setOpt), options);
        for (const QString& w : made.warnings)
            printError(w);
    } catch (const PlometError& e) {
        error = e.message();
        printError(error);
    }
    if (parser.isSet(jsonOpt))
        printJson({jsonEntry(job, made, error)});
    return error.isEmpty() ? kExitOk : kExitFailed;
}

} // namespace plomet
