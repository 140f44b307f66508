#pragma once

#include "platform/win/MessageBox.h"

#include <QString>
#include <deque>
#include <vector>

// Records every message box and answers from a queue. A box that finds no queued answer is
// unexpected: the test fails (the answer given is the style's default).
class FakeMessageBox : public win::MessageBoxSeam
{
public:
    struct Shown
    {
        QString prompt;
        int style;
        QString title;
    };

    void expect(int answer) { m_answers.push_back(answer); }
    // Lets any number of boxes through with their default answer.
    void allowAll(bool allow = true) { m_allowAll = allow; }
    const std::vector<Shown> &shown() const { return m_shown; }
    int pendingAnswers() const { return int(m_answers.size()); }
    void clear() { m_shown.clear(); }

    int show(const QString &prompt, int style, const QString &title) override;

private:
    std::deque<int> m_answers;
    std::vector<Shown> m_shown;
    bool m_allowAll = false;
    win::MessageBoxSeam::Scope m_installed{this};
};
