#include "tests/support/FakeMessageBox.h"

#include <gtest/gtest.h>

int FakeMessageBox::show(const QString &prompt, int style, const QString &title)
{
    m_shown.push_back({prompt, style, title});
    if (!m_answers.empty()) {
        int a = m_answers.front();
        m_answers.pop_front();
        return a;
    }
    if (!m_allowAll) ADD_FAILURE() << "unexpected message box: " << prompt.toStdString();
    return win::defaultAnswer(style);
}
