#include "gui/startup/language.h"

#include <QCoreApplication>
#include <QTranslator>

namespace quenzal {

QString chooseLanguage(const QString &option, const QLocale &system)
{
    if (!option.isEmpty())
        return option;
    return system.name().startsWith(QLatin1String("en")) ? QStringLiteral("en") : QStringLiteral("zh");
}

bool installLanguage(QCoreApplication &app, const QString &language)
{
    if (language != QLatin1String("en"))
        return true;
    auto *translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral(":/i18n/quenzal_en.qm"))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace quenzal
