#include "app/tests/MainWindowFixture.h"

#include "app/ModMain.h"
#include "app/frmSession.h"
#include "core/ProcessGlobals.h"
#include "core/Twips.h"
#include "tests/support/TestFiles.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QTest>
#include <QTreeWidget>

void MainWindowFixture::SetUp()
{
    ASSERT_TRUE(m_dir.isValid());
    ASSERT_TRUE(QDir().mkpath(folder() + QStringLiteral("Lang")));
    Twips::setDpiOverride(96);
    g_Options.reset();
    g_SettingsIni.reset();
    g_AppPath.clear();
}

void MainWindowFixture::TearDown()
{
    if (window) {
        // Whatever the test left open goes without questions.
        boxes.allowAll();
        dialogs.allowAll();
        window->close();
        settle();
        delete window.data();
    }
    settle();
    g_Options.reset();
    g_SettingsIni.reset();
    g_AppPath.clear();
    Twips::setDpiOverride(0);
}

frmMain *MainWindowFixture::start(const QString &commandLine)
{
    window = ModMain::Main(folder(), commandLine);
    settle();
    // On a real display the window manager places and activates the window a little later;
    // a test that moves or closes it before then races the manager.
    if (window && window->isVisible() && QGuiApplication::platformName() == QLatin1String("xcb")) {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.data()));
        EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activeWindow() != nullptr; }, 20000));
    }
    return window;
}

bool MainWindowFixture::quit()
{
    if (!window) return true;
    window->close();
    settle();
    return !window;
}

void MainWindowFixture::settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QByteArray MainWindowFixture::settings() const
{
    return TestFiles::read(settingsPath());
}

void MainWindowFixture::writeSettings(const QByteArray &bytes) const
{
    ASSERT_TRUE(TestFiles::write(settingsPath(), bytes));
}

QString MainWindowFixture::touch(const QString &name) const
{
    const QString path = folder() + name;
    EXPECT_TRUE(TestFiles::write(path, QByteArray()));
    return path;
}

QStringList MainWindowFixture::sessionNames() const
{
    QStringList names;
    if (window)
        for (frmSession *frm : window->SessionWindows())
            names.append(frm->GetIniFileName());
    return names;
}

QStringList MainWindowFixture::projectListTexts() const
{
    QStringList texts;
    if (window)
        for (int i = 0; i < window->ListView1->topLevelItemCount(); ++i)
            texts.append(window->ListView1->topLevelItem(i)->text(0));
    return texts;
}

QStringList MainWindowFixture::projectListKeys() const
{
    QStringList keys;
    if (window)
        for (int i = 0; i < window->ListView1->topLevelItemCount(); ++i)
            keys.append(window->ListView1->topLevelItem(i)->data(0, Qt::UserRole).toString());
    return keys;
}

frmSession *MainWindowFixture::session(const QString &name) const
{
    return window ? window->SessionWindowNamed(name) : nullptr;
}
