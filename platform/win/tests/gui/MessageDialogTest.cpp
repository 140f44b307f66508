#include "platform/win/MessageDialog.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace win;

namespace {

// Acts on the box once it is up, as a user would.
void whenShown(std::function<void(QMessageBox *)> act)
{
    QTimer::singleShot(20, [act] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        act(box);
    });
}

TEST(MessageDialog, PromptsShowAsPlainTextAndButtonsAnswer)
{
    // A file name that looks like markup shows as it is; read as rich text it would lose its
    // tags, and an image tag would make the box load the file it names.
    const QString prompt =
        QStringLiteral("Can't found file /tmp/<b>x</b>/<img src=\"/dev/zero\">.xlsx");
    struct
    {
        int style;
        QString title;
        std::function<void(QMessageBox *)> act;
        int answer;
        QString shownTitle;
    } cases[] = {
        {vbYesNo | vbQuestion | vbDefaultButton2, "Setup",
         [](QMessageBox *b) {
             EXPECT_EQ(b->defaultButton(), b->button(QMessageBox::No));
             QTest::keyClick(b, Qt::Key_Escape);
         },
         vbNo, "Setup"},
        {vbAbortRetryIgnore | vbExclamation, "",
         [](QMessageBox *b) { QTest::mouseClick(b->button(QMessageBox::Retry), Qt::LeftButton); },
         vbRetry, "Quorva"},
        {vbYesNoCancel | vbDefaultButton3, "",
         [](QMessageBox *b) { QTest::keyClick(b, Qt::Key_Return); }, vbCancel, "Quorva"},
        {vbOKOnly | vbCritical, "",
         [](QMessageBox *b) { QTest::mouseClick(b->button(QMessageBox::Ok), Qt::LeftButton); },
         vbOK, "Quorva"},
    };
    MessageDialog dialog(QStringLiteral("Quorva"));
    for (const auto &c : cases) {
        whenShown([&c, &prompt](QMessageBox *box) {
            EXPECT_EQ(box->windowTitle(), c.shownTitle);
            const auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
            ASSERT_NE(label, nullptr);
            EXPECT_EQ(label->textFormat(), Qt::PlainText);
            EXPECT_EQ(label->text(), prompt);
            c.act(box);
        });
        EXPECT_EQ(dialog.show(prompt, c.style, c.title), c.answer) << c.style;
    }
}

// A one-word prompt still makes a box wide enough for its title and the title bar's buttons,
// which a window manager would otherwise cut to "Q...".
TEST(MessageDialog, AShortPromptLeavesRoomForTheTitle)
{
    MessageDialog dialog(QStringLiteral("Quorva"));
    for (const QString &title : {QStringLiteral("Quorva"), QStringLiteral("比较选项设置")}) {
        whenShown([&title](QMessageBox *box) {
            EXPECT_GE(box->width(), box->fontMetrics().horizontalAdvance(title) + 100)
                << title.toStdString();
            QTest::keyClick(box, Qt::Key_Return);
        });
        EXPECT_EQ(dialog.show(QStringLiteral("无效"), vbCritical, title), vbOK);
    }
}

} // namespace
