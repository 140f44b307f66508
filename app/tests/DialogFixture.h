#pragma once

#include "app/tests/MainWindowFixture.h"
#include "app/tests/TextPrinters.h"

#include <QApplication>
#include <QDialog>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <ostream>

class QTreeWidget;

// The main window over a temporary program folder, with the registry in a temporary file. The
// dialogs that its commands open return at once (they run no event loop of their own), so that a
// test drives them as a user would.
class DialogFixture : public MainWindowFixture
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The one dialog of that type that is shown now, once it is the active window (on a real
    // display the window manager activates it a little later); null (and a failure) when there
    // is none.
    template <typename T> T *shown() const
    {
        T *found = nullptr;
        int count = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *d = qobject_cast<T *>(w); d && d->isVisible()) {
                found = d;
                ++count;
            }
        EXPECT_EQ(count, 1) << "dialogs of the type shown";
        if (count != 1) return nullptr;
        EXPECT_TRUE(
            QTest::qWaitFor([found] { return QApplication::activeWindow() == found; }, 20000))
            << "the dialog becomes the active window";
        return found;
    }
    // True while a dialog of that type exists at all (closed dialogs go with the next settle).
    template <typename T> bool exists() const
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<T *>(w)) return true;
        return false;
    }

    // The lines of one section of the current language file, without the header.
    QStringList languageSection(const QString &section,
                                const QString &file = QStringLiteral("ChineseS.Lan")) const;
    void writeLanguageFile(const QString &name, const QByteArray &bytes) const;

    // Clicks the tree's entry with that text as a user does.
    static void clickNode(QTreeWidget *tree, const QString &text);
    // The texts of the tree's top-level entries.
    static QStringList nodeTexts(const QTreeWidget *tree);

    QTemporaryDir m_registryDir;
};
