#pragma once

#include <QString>

namespace win {

// The texts Qt draws itself (the standard buttons of message boxes, the labels of file
// dialogs) in the program's language, as the system's own dialogs speak the user's language.
// They come from Qt's translation catalogues (Debian: qt6-translations-l10n).
class QtTranslations
{
public:
    // The Qt locale of a language file, from its name without the extension, ignoring case:
    // "ChineseS", "Chinese" and "SimplifiedChinese" give zh_CN, "ChineseT" and
    // "TraditionalChinese" zh_TW; a locale name ("zh_CN", "de", "pt_BR") is itself; a language
    // as Qt names it in English ("German", "Japanese") gives that language's main locale.
    // English, and names that are none of these, give "": Qt's own texts are English already.
    static QString localeOf(const QString &languageFileName);

    // Replaces the installed catalogue with the one for `locale` ("" installs none). True when
    // a catalogue is installed; false for "" and when Qt has none for that language.
    static bool install(const QString &locale);
    static bool installFor(const QString &languageFileName)
    {
        return install(localeOf(languageFileName));
    }
};

} // namespace win
