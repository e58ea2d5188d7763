#include "translations/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace plomet {

namespace {

bool install(const QLocale& locale, const QString& name, const QString& folder)
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(locale, name, QStringLiteral("_"), folder)) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

} // namespace

bool installTranslations(const QLocale& locale)
{
    // "qt" pulls in qtbase and the other modules' files of the locale.
    install(locale, QStringLiteral("qt"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    return install(locale, QStringLiteral("plomet"), QStringLiteral(":/i18n"));
}

bool installWindowTranslations(const QLocale& locale)
{
    return install(locale, QStringLiteral("plomet_app"), QStringLiteral(":/i18n"));
}

} // namespace plomet
