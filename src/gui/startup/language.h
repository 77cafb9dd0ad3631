#pragma once
// The window's language: Chinese, as it has always been, or English from the
// translation compiled into the program (translations/quenzal_en.ts).
#include <QLocale>
#include <QString>

class QCoreApplication;

namespace quenzal {

// "en" or "zh": the --lang option when given, else English for a system
// locale en_*, Chinese for every other.
QString chooseLanguage(const QString &option, const QLocale &system = QLocale::system());

// Installs the English translation on the application when `language` is
// "en" (Chinese needs none). False when the translation is missing.
bool installLanguage(QCoreApplication &app, const QString &language);

} // namespace quenzal
