#include "app/tests/DialogFixture.h"

#include "tests/support/TestFiles.h"

#include <QTest>
#include <QTreeWidget>

void DialogFixture::SetUp()
{
    MainWindowFixture::SetUp();
    ASSERT_TRUE(m_registryDir.isValid());
    qputenv("QUORVA_REGISTRY", m_registryDir.filePath("registry.reg").toUtf8());
}

void DialogFixture::TearDown()
{
    // A dialog a failed test left open goes first.
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *d = qobject_cast<QDialog *>(w); d && d->isVisible()) d->reject();
    settle();
    MainWindowFixture::TearDown();
    qunsetenv("QUORVA_REGISTRY");
}

QStringList DialogFixture::languageSection(const QString &section, const QString &file) const
{
    const QString text = TestFiles::read(folder() + QStringLiteral("Lang/") + file);
    QStringList lines;
    bool inside = false;
    for (const QString &line : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        if (line.startsWith(QLatin1Char('['))) {
            inside = line == QLatin1Char('[') + section + QLatin1Char(']');
            continue;
        }
        if (inside) lines.append(line);
    }
    return lines;
}

void DialogFixture::writeLanguageFile(const QString &name, const QByteArray &bytes) const
{
    ASSERT_TRUE(TestFiles::write(folder() + QStringLiteral("Lang/") + name, bytes));
}

void DialogFixture::clickNode(QTreeWidget *tree, const QString &text)
{
    const QList<QTreeWidgetItem *> found = tree->findItems(text, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << text.toStdString();
    const QRect r = tree->visualItemRect(found.first());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    settle();
}

QStringList DialogFixture::nodeTexts(const QTreeWidget *tree)
{
    QStringList texts;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        texts.append(tree->topLevelItem(i)->text(0));
    return texts;
}
