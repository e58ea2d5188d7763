#include "cli/cli.h"

#include "seal/Errors.h"
#include "seal/NumberText.h"
#include "seal/Plomet.h"
#include "seal/Presets.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace plomet {

QString presetProblem(const QString& name)
{
    if (presetSettings(name))
        return QString();
    return Cli::tr("unknown preset '%1' (known: %2)").arg(name, presetList());
}

void applyPreset(Plomet& seal, const QString& name)
{
    const std::optional<PresetValues> settings = presetSettings(name);
    if (!settings)
        throw PlometError(PlometError::Kind::Format, presetProblem(name));
    for (const auto& [row, value] : *settings)
        seal.setValue(*row, value);
}

void printJson(const QJsonArray& outputs)
{
    const QByteArray text = QJsonDocument(QJsonObject{{QStringLiteral("outputs"), outputs}}).toJson();
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fflush(stdout);
}

void printError(const QString& message)
{
    // One line: a message that spans lines is joined.
    QString line = message;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "plomet: %s\n", line.toUtf8().constData());
    std::fflush(stderr);
}

} // namespace plomet
