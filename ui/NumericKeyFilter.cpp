#include "ui/NumericKeyFilter.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>

void NumericKeyFilter::filterKey(int &key, int mode)
{
    if (key == 8) return;
    if (key == 0x3002) // "。"
        key = '.';
    else if (key == 0xFF0C) // "，"
        key = ',';
    if (key == ',' || key == '-' || key == '.') {
        const bool passes = mode == 0 || (mode == 1 && key == '-');
        if (!passes) key = 0;
        return;
    }
    if (key < '0' || key > '9') key = 0;
}

QString NumericKeyFilter::filterText(const QString &text) const
{
    QString out;
    for (QChar c : text) {
        int key = c.unicode();
        filterKey(key, m_mode);
        if (key != 0) out += QChar(char16_t(key));
    }
    return out;
}

bool NumericKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (m_forwarding) return false;
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const QString text = key->text();
        // Keys without a character (arrows, Delete) and shortcuts are not typing.
        if (text.isEmpty() || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return false;
        if (text.size() == 1 && text[0].unicode() < 0x20)
            return false; // backspace, tab, return and other control keys
        const QString filtered = filterText(text);
        if (filtered == text) return false;
        if (!filtered.isEmpty()) {
            if (auto *edit = qobject_cast<QLineEdit *>(watched)) edit->insert(filtered);
        }
        return true;
    }
    if (event->type() == QEvent::InputMethod) {
        auto *im = static_cast<QInputMethodEvent *>(event);
        const QString commit = im->commitString();
        const QString filtered = filterText(commit);
        if (filtered == commit) return false;
        QInputMethodEvent replaced(im->preeditString(), im->attributes());
        replaced.setCommitString(filtered, im->replacementStart(), im->replacementLength());
        m_forwarding = true;
        QCoreApplication::sendEvent(watched, &replaced);
        m_forwarding = false;
        return true;
    }
    return false;
}
