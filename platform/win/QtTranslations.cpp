#include "platform/win/QtTranslations.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QTranslator>
#include <memory>

namespace win {

namespace {

std::unique_ptr<QTranslator> &installed()
{
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

} // namespace

QString QtTranslations::localeOf(const QString &languageFileName)
{
    const QString name = QFileInfo(languageFileName).completeBaseName();
    const QString lower = name.toLower();
    if (lower == QLatin1String("chineses") || lower == QLatin1String("chinese") ||
        lower == QLatin1String("simplifiedchinese"))
        return QStringLiteral("zh_CN");
    if (lower == QLatin1String("chineset") || lower == QLatin1String("traditionalchinese"))
        return QStringLiteral("zh_TW");
    static const QRegularExpression code(QStringLiteral("^[a-z]{2,3}(_[A-Za-z]{2})?$"));
    QLocale::Language language = QLocale::AnyLanguage;
    QString locale;
    if (code.match(name).hasMatch()) {
        const QLocale byCode(name);
        // QLocale gives the C locale for a code it does not know.
        if (byCode.language() != QLocale::C) {
            language = byCode.language();
            locale = name;
        }
    } else {
        for (int l = QLocale::AnyLanguage + 1; l <= QLocale::LastLanguage; ++l) {
            if (QLocale::languageToString(QLocale::Language(l)).compare(name, Qt::CaseInsensitive))
                continue;
            language = QLocale::Language(l);
            locale = QLocale(language).name();
            break;
        }
    }
    if (language == QLocale::AnyLanguage || language == QLocale::English) return QString();
    return locale;
}

bool QtTranslations::install(const QString &locale)
{
    std::unique_ptr<QTranslator> &current = installed();
    if (current) {
        QCoreApplication::removeTranslator(current.get());
        current.reset();
    }
    if (locale.isEmpty() || !QCoreApplication::instance()) return false;
    auto translator = std::make_unique<QTranslator>();
    // "qtbase" holds the texts of the standard buttons and dialogs; zh_CN falls back to zh.
    if (!translator->load(QLocale(locale), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(translator.get());
    current = std::move(translator);
    return true;
}

} // namespace win
