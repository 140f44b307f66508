#include "SetupSrc/tests/wizard/WizardFixture.h"
#include "tests/support/TestFiles.h"

#include <QGlyphRun>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QTextLayout>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Every page of the wizard, in English (the built-in texts) and in Chinese (the language file
// that ships with Quorva), checked for captions that do not fit, controls that overlap and
// characters the font cannot draw. With QUORVA_SCREENSHOT_DIR set the pages are also written
// there as PNG files, to be looked at:
//   QUORVA_SCREENSHOT_DIR=/tmp/shots build/dev/SetupSrc/tests/wizard/setup_wizard_tests
//       --gtest_filter='*WizardLayout*'
class WizardLayout : public WizardFixture, public ::testing::WithParamInterface<bool>
{
protected:
    QString language() const { return GetParam() ? "zh" : "en"; }

    static QString plain(const QString &caption)
    {
        QString out;
        for (qsizetype i = 0; i < caption.size(); ++i) {
            if (caption[i] == '&' && i + 1 < caption.size()) ++i;
            out += caption[i];
        }
        return out;
    }

    static QString missingGlyphs(const QString &text, const QFont &font)
    {
        QTextLayout layout(text, font);
        layout.beginLayout();
        while (layout.createLine().isValid()) {
        }
        layout.endLayout();
        QString missing;
        for (const QGlyphRun &run : layout.glyphRuns())
            for (quint32 glyph : run.glyphIndexes())
                if (glyph == 0) missing = text;
        return missing;
    }

    // The captions of the visible controls fit, siblings do not overlap, every character has a
    // glyph.
    void checkVisibleControls(const QString &shot)
    {
        SCOPED_TRACE(shot.toStdString());
        const QList<QWidget *> widgets = window->findChildren<QWidget *>();
        for (QWidget *w : widgets) {
            // An empty picture has no size.
            if (!w->isVisible() || w->objectName().isEmpty() || w->size().isEmpty()) continue;
            const QString name = w->objectName();
            SCOPED_TRACE(name.toStdString());
            const QFontMetrics fm(w->font());
            QString text;
            if (auto *check = qobject_cast<QCheckBox *>(w)) {
                text = plain(check->text());
                const int box =
                    w->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w) +
                    w->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w);
                EXPECT_LE(box + fm.horizontalAdvance(text), w->width()) << name.toStdString();
                EXPECT_LE(fm.height(), w->height()) << name.toStdString();
            } else if (auto *button = qobject_cast<QPushButton *>(w)) {
                text = plain(button->text());
                EXPECT_LE(fm.horizontalAdvance(text) + 10, w->width()) << name.toStdString();
                EXPECT_LE(fm.height() + 4, w->height()) << name.toStdString();
            } else if (auto *label = qobject_cast<QLabel *>(w)) {
                text = label->text();
                if (label->wordWrap())
                    EXPECT_LE(label->heightForWidth(w->width()), w->height())
                        << name.toStdString() << ": " << text.toStdString();
                else
                    EXPECT_LE(fm.horizontalAdvance(text), w->width()) << name.toStdString();
            } else if (auto *group = qobject_cast<QGroupBox *>(w)) {
                text = group->title();
                EXPECT_LE(fm.horizontalAdvance(text) + 16, w->width()) << name.toStdString();
            }
            if (!text.isEmpty()) {
                EXPECT_EQ(missingGlyphs(text, w->font()), QString());
            }
            // Inside its parent, clear of its visible named siblings.
            if (QWidget *parent = w->parentWidget()) {
                EXPECT_TRUE(parent->rect().contains(w->geometry())) << name.toStdString();
                for (QWidget *other : parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
                    if (other == w || !other->isVisible() || other->objectName().isEmpty() ||
                        other->objectName().startsWith("qt_") || name.startsWith("qt_"))
                        continue;
                    EXPECT_FALSE(w->geometry().intersects(other->geometry()))
                        << "overlaps " << other->objectName().toStdString();
                }
            }
        }
        const QString dir = qEnvironmentVariable("QUORVA_SCREENSHOT_DIR");
        if (!dir.isEmpty()) {
            QDir().mkpath(dir);
            EXPECT_TRUE(window->grab().save(dir + "/setup-" + language() + "-" + shot + ".png"));
        }
    }
};

} // namespace

TEST_P(WizardLayout, EveryPageFitsItsTexts)
{
    writeRules(1, 1, "app.sh\r\npipe\r\n",
               "WhenFinishLaunchApp={TARGETDIR}\\app.sh\r\nWizardImageFile=Wizard.png\r\n");
    QFile::copy(TestFiles::path("SetupSrc/payload/Wizard.png"), source + "/Wizard.png");
    QFile::remove(source + "/License.txt");
    QFile::copy(TestFiles::path("SetupSrc/payload/License.txt"), source + "/License.txt");
    if (GetParam())
        QFile::copy(TestFiles::path("SetupSrc/payload/DefLang.ini"), source + "/DefLang.ini");
    ASSERT_EQ(mkfifo(QFile::encodeName(source + "/pipe").constData(), 0600), 0);
    open();
    checkVisibleControls("1-licence");
    tick("ChkAgreeLicense");
    click("BtnNext");
    checkVisibleControls("2-destination");
    click("BtnNext");
    ASSERT_TRUE(waitFor([&] { return control<QLabel>("LblCopyingFileName")->text() == "pipe"; }));
    checkVisibleControls("3-copying");
    // The pipe is no file: the copy fails, the user ignores it, the finish page lists it.
    boxes.expect(win::vbIgnore);
    int fd = -1;
    ASSERT_TRUE(waitFor([&] {
        fd = ::open(QFile::encodeName(source + "/pipe").constData(), O_WRONLY | O_NONBLOCK);
        return fd >= 0;
    }));
    ::close(fd);
    ASSERT_TRUE(waitForFinishPage());
    checkVisibleControls("4-finish");
}

TEST_P(WizardLayout, TheDestinationPageExplainsAnUnusableFolder)
{
    writeFile(source + "/Setup.rul", "[ShowDialog]\r\nSdLicense=0\r\n"
                                     "[Setup]\r\nDefaultDirName=Quorva\r\n[Files]\r\napp.sh\r\n");
    if (GetParam())
        QFile::copy(TestFiles::path("SetupSrc/payload/DefLang.ini"), source + "/DefLang.ini");
    open();
    checkVisibleControls("2-destination-problem");
}

INSTANTIATE_TEST_SUITE_P(Languages, WizardLayout, ::testing::Values(false, true),
                         [](const auto &info) { return info.param ? "Chinese" : "English"; });
