#pragma once

#include "SetupSrc/TSetupRule.h"
#include "SetupSrc/TfrmMain.h"
#include "SetupSrc/tests/SetupTestEnv.h"
#include "tests/support/FakeDialogs.h"
#include "tests/support/FakeMessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <functional>
#include <memory>

// The wizard over a source folder of its own, in the private world of SetupTestEnv: message
// boxes are answered by a fake (an unexpected one fails the test), the shell records what it
// was asked to start.
class WizardFixture : public SetupTestEnv
{
protected:
    FakeMessageBox boxes;
    FakeShell shell;
    std::unique_ptr<TfrmMain> window;
    QString installDir; // where the rules put the files, with a trailing "/"

    void SetUp() override
    {
        SetupTestEnv::SetUp();
        installDir = programFiles + "/Quorva/";
    }

    void TearDown() override
    {
        // A window that still works stops before the world it works in goes away.
        if (window && window->Busy()) {
            boxes.allowAll();
            waitFor([&] { return !window->Busy(); });
        }
        window.reset();
        SetupTestEnv::TearDown();
    }

    // A rules file with the two dialog switches, [Files] lines and more sections; the files
    // named "app.sh" and "data.txt" exist in the source folder.
    void writeRules(int sdLicense, int sdAskDestPath, const QByteArray &files = "app.sh\r\n",
                    const QByteArray &more = QByteArray())
    {
        writeFile(source + "/Setup.rul",
                  "[ShowDialog]\r\nSdLicense=" + QByteArray::number(sdLicense) +
                      "\r\nSdAskDestPath=" + QByteArray::number(sdAskDestPath) +
                      "\r\n[Setup]\r\nDefaultDirName={PROGRAMFILES}\\Quorva\r\n"
                      "LicenseFile=License.txt\r\n" +
                      more + "[Files]\r\n" + files);
        writeFile(source + "/License.txt", "The licence text.\n");
        writeFakeProgram(source + "/app.sh", "app");
        writeFile(source + "/data.txt", "some data");
    }

    // Shows the wizard and waits until it is the active window, as a user meets it (on a real
    // display the window manager activates it a little after it is shown).
    void open()
    {
        window = std::make_unique<TfrmMain>(source + "/Setup.rul");
        window->show();
        // A window manager may keep the focus where it was for a window that opens without a
        // user's input; the user would click it.
        window->activateWindow();
        QCoreApplication::processEvents();
        // A wizard with nothing to ask starts copying at once: the test looks at the copy page
        // before the copy ends, so it is not waited for. One may also finish and close while
        // it is being activated.
        if (page() == QLatin1String("PageCopyingFile")) return;
        // A window manager on a busy machine may take seconds to activate it.
        EXPECT_TRUE(QTest::qWaitFor(
            [this] { return QApplication::activeWindow() == window.get() || !window->isVisible(); },
            20000))
            << "the wizard becomes the active window";
    }

    template <class T = QWidget> T *control(const char *name) const
    {
        T *c = window->findChild<T *>(QLatin1String(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    QString page() const
    {
        QWidget *p = window->Pages().CurrentControl();
        return p ? p->objectName() : QString();
    }
    void click(const char *name)
    {
        QAbstractButton *b = control<QAbstractButton>(name);
        ASSERT_TRUE(b->isVisible() && b->isEnabled()) << name;
        QTest::mouseClick(b, Qt::LeftButton);
    }
    // A check box is clicked on its box, as a user does.
    void tick(const char *name)
    {
        QCheckBox *c = control<QCheckBox>(name);
        QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(6, c->height() / 2));
    }
    void typeFolder(const QString &text)
    {
        QLineEdit *edit = control<QLineEdit>("EditDestFolder");
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    bool enabled(const char *name) const { return control(name)->isEnabled(); }
    bool visible(const char *name) const { return control(name)->isVisible(); }

    // Runs the event loop until the condition holds (false after a generous deadline).
    static bool waitFor(const std::function<bool()> &condition, int ms = 60000)
    {
        QElapsedTimer t;
        t.start();
        while (!condition()) {
            if (t.elapsed() > ms) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }
    bool waitForFinishPage() const
    {
        return waitFor([this] { return page() == "PageFinish"; });
    }
};
