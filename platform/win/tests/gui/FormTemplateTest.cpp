// A window built from its table of controls: each control is made under its parent, named,
// captioned the way its kind shows a caption, placed, and reported in the table's order.
#include "platform/win/FormTemplate.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QRadioButton>
#include <QWidget>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

struct Form
{
    QWidget window;
    QGroupBox *frame = nullptr;
    QLabel *label = nullptr;
    QLineEdit *edit = nullptr;
    QCheckBox *check = nullptr;
    QList<QRadioButton *> options;
};

} // namespace

TEST(FormTemplate, BuildsEveryControlUnderItsParentInTheTablesOrder)
{
    Form f;
    using T = FormTemplate;
    QStringList made;
    T::build(&f.window,
             {T::control(f.frame, "Frame1", "框", {10, 20, 300, 200}),
              T::control(f.label, "Label1", "名称:", {5, 6, 70, 18}, "Frame1"),
              T::control(f.edit, "Text1", "abc", {}, "Frame1"),
              T::element(f.options, 0, "Opt", "一", {5, 40, 60, 18}, "Frame1"),
              T::element(f.options, 1, "Opt", "二", {70, 40, 60, 18}, "Frame1"),
              T::control(f.check, "Check1", "&Yes")},
             {}, [&](QWidget *w, int index) {
                 made << w->objectName() + QLatin1Char('/') + QString::number(index);
             });

    EXPECT_EQ(made,
              (QStringList{"Frame1/-1", "Label1/-1", "Text1/-1", "Opt/0", "Opt/1", "Check1/-1"}));
    ASSERT_EQ(f.options.size(), 2);
    const struct
    {
        QWidget *widget;
        QWidget *parent;
        QString caption;
    } cases[] = {{f.frame, &f.window, f.frame->title()},
                 {f.label, f.frame, f.label->text()},
                 {f.edit, f.frame, f.edit->text()},
                 {f.options[1], f.frame, f.options[1]->text()},
                 {f.check, &f.window, f.check->text()}};
    const QStringList expected = {"框", "名称:", "abc", "二", "&Yes"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(cases[i].widget->parentWidget(), cases[i].parent) << i;
        EXPECT_EQ(cases[i].caption, expected[i]) << i;
    }
    EXPECT_EQ(f.frame->geometry(), QRect(10, 20, 300, 200));
    EXPECT_EQ(f.options[1]->geometry(), QRect(70, 40, 60, 18));
}

TEST(FormTemplate, PlacesThroughTheWindowsOwnRuleAndRefusesAnUnknownParent)
{
    Form f;
    using T = FormTemplate;
    // A window that designs in its own unit (twice the pixels here) places its controls itself.
    T::build(&f.window, {T::control(f.label, "Label1", "x", {1, 2, 30, 40})},
             [](QWidget *w, const QRect &r, const QString &) {
                 w->setGeometry(r.x() * 2, r.y() * 2, r.width() * 2, r.height() * 2);
             });
    EXPECT_EQ(f.label->geometry(), QRect(2, 4, 60, 80));

    try {
        T::build(&f.window, {T::control(f.edit, "Text1", nullptr, {}, "NoSuchFrame")});
        FAIL() << "an unknown parent was accepted";
    } catch (const std::logic_error &e) {
        EXPECT_NE(std::string(e.what()).find("NoSuchFrame"), std::string::npos) << e.what();
    }
}
