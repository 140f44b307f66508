#include "app/tests/SessionFixture.h"

#include "app/frmSession.h"
#include "engine/ModCompare.h"
#include "tests/support/TestFiles.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

namespace {

const char *const Prelude = R"(
import sys, openpyxl
folder = sys.argv[1]
def book(name, sheets):
    wb = openpyxl.Workbook()
    wb.remove(wb.active)
    for title, rows in sheets:
        ws = wb.create_sheet(title)
        for r, row in enumerate(rows):
            for c, v in enumerate(row):
                if v is not None:
                    ws.cell(row=r + 1, column=c + 1, value=v)
    wb.save(folder + '/' + name)
)";

} // namespace

void SessionFixture::SetUp()
{
    MainWindowFixture::SetUp();
    ModCompare::SetCancelCompare(false);
    m_hadTmpDir = qEnvironmentVariableIsSet("TMPDIR");
    m_oldTmpDir = qgetenv("TMPDIR");
    ASSERT_TRUE(QDir().mkpath(tempFolder()));
    QFile::setPermissions(tempFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("TMPDIR", QFile::encodeName(tempFolder()));
}

void SessionFixture::TearDown()
{
    MainWindowFixture::TearDown();
    ModCompare::SetCancelCompare(false);
    if (m_hadTmpDir)
        qputenv("TMPDIR", m_oldTmpDir);
    else
        qunsetenv("TMPDIR");
}

frmSession *SessionFixture::newSession()
{
    if (!window) start();
    const QList<frmSession *> before = window->SessionWindows();
    window->mnuFileNew->trigger();
    settle();
    for (frmSession *frm : window->SessionWindows())
        if (!before.contains(frm)) return frm;
    return nullptr;
}

frmSession *SessionFixture::openProject(const QString &path)
{
    if (!window) start();
    window->OpenSessionWindow(path);
    settle();
    return window->SessionWindowNamed(path);
}

QString SessionFixture::makeBooks(const QString &body, const QString &subfolder)
{
    const QString target = subfolder.isEmpty() ? m_dir.path() : folder() + subfolder;
    QDir().mkpath(target);
    QString output;
    const int code = TestFiles::runPython(QString::fromUtf8(Prelude) + body, {target}, &output);
    return code == 0 ? QString() : (output.isEmpty() ? QStringLiteral("python failed") : output);
}

void SessionFixture::type(QWidget *box, const QString &text)
{
    QWidget *target = box;
    if (auto *combo = qobject_cast<QComboBox *>(box)) target = combo->lineEdit();
    target->setFocus();
    QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(target, Qt::Key_Delete);
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClicks(target, QString(c));
            continue;
        }
        QInputMethodEvent commit;
        commit.setCommitString(QString(c));
        QApplication::sendEvent(target, &commit);
    }
}

void SessionFixture::click(QAbstractButton *button)
{
    QPoint at = button->rect().center();
    if (qobject_cast<QCheckBox *>(button) || qobject_cast<QRadioButton *>(button))
        at = QPoint(std::min(8, button->width() / 2), button->height() / 2);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, at);
    settle();
}

void SessionFixture::selectSheets(QTreeWidget *list, const QStringList &names)
{
    bool first = true;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = list->topLevelItem(i);
        if (!names.contains(item->text(0))) continue;
        list->scrollToItem(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton,
                          first ? Qt::NoModifier : Qt::ControlModifier,
                          list->visualItemRect(item).center());
        first = false;
    }
}

QStringList SessionFixture::selectedSheets(const QTreeWidget *list)
{
    QStringList names;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->isSelected()) names.append(list->topLevelItem(i)->text(0));
    return names;
}

QStringList SessionFixture::sheetNames(const QTreeWidget *list)
{
    QStringList names;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        names.append(list->topLevelItem(i)->text(0));
    return names;
}

QStringList SessionFixture::lines(const QString &path)
{
    QString text = QString::fromUtf8(TestFiles::read(path));
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    QStringList out = text.split(QStringLiteral("\r\n"));
    if (!out.isEmpty() && out.last().isEmpty()) out.removeLast();
    return out;
}

bool SessionFixture::writeText(const QString &path, const QString &text)
{
    QString crlf = text;
    crlf.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    crlf.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return TestFiles::write(path, crlf.toUtf8());
}

QStringList SessionFixture::prompts() const
{
    QStringList out;
    for (const auto &shown : boxes.shown())
        out.append(shown.prompt);
    return out;
}
