#include "platform/win/QtTranslations.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

using win::QtTranslations;

TEST(QtTranslations, ALanguageFileNamesItsQtLocale)
{
    const struct
    {
        const char *file, *locale;
    } cases[] = {
        {"ChineseS.Lan", "zh_CN"},
        {"chineses.lan", "zh_CN"},
        {"Chinese.Lan", "zh_CN"},
        {"ChineseT.Lan", "zh_TW"},
        {"/opt/Q/Lang/ChineseS.Lan", "zh_CN"},
        {"German.Lan", "de_DE"},
        {"japanese.LAN", "ja_JP"},
        {"pt_BR.Lan", "pt_BR"},
        {"de.Lan", "de"},
        {"English.Lan", ""},
        {"en_GB.Lan", ""},
        {"Klingon.Lan", ""},
        {"xx.Lan", ""},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(QtTranslations::localeOf(QString::fromUtf8(c.file)).toStdString(),
                  std::string(c.locale))
            << c.file;
}

// The standard buttons of a message box and of a file dialog speak the program's language,
// and an English language file brings Qt's English back.
TEST(QtTranslations, StandardButtonsSpeakTheProgramsLanguage)
{
    auto buttons = [] {
        QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("p"),
                        QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No |
                            QMessageBox::Retry | QMessageBox::Ignore | QMessageBox::Abort);
        QStringList texts;
        for (QMessageBox::StandardButton b :
             {QMessageBox::Ok, QMessageBox::Cancel, QMessageBox::Yes, QMessageBox::No,
              QMessageBox::Retry, QMessageBox::Ignore, QMessageBox::Abort})
            texts << box.button(b)->text().remove(QLatin1Char('&'));
        return texts;
    };
    ASSERT_TRUE(QtTranslations::installFor(QStringLiteral("ChineseS.Lan")));
    const QStringList chinese = buttons();
    EXPECT_EQ(chinese.value(0), QStringLiteral("确定"));
    EXPECT_EQ(chinese.value(1), QStringLiteral("取消"));
    for (const QString &text : chinese) {
        bool hasHan = false;
        for (QChar ch : text)
            hasHan = hasHan || ch.script() == QChar::Script_Han;
        EXPECT_TRUE(hasHan) << text.toStdString();
    }
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    auto *box = dialog.findChild<QDialogButtonBox *>();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')),
              QStringLiteral("取消"));

    EXPECT_FALSE(QtTranslations::installFor(QStringLiteral("English.Lan")));
    EXPECT_EQ(buttons().value(0), QStringLiteral("OK"));
}
