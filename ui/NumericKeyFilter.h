#pragma once

#include <QObject>

// Event filter of a number field: every character that arrives by a key press or as an input
// method's committed text goes through filterKey.
class NumericKeyFilter : public QObject
{
    Q_OBJECT
public:
    NumericKeyFilter(int mode, QObject *parent) : QObject(parent), m_mode(mode) {}

    // Filters one typed character in place; 0 means swallowed. Backspace (8) passes; the
    // full-width "。" and "，" become "." and ","; mode 0 lets ",", "-" and "." pass, mode 1
    // only "-", other modes none of them; digits pass, everything else is swallowed.
    static void filterKey(int &key, int mode);
    // The text with every character filtered; swallowed characters are dropped.
    QString filterText(const QString &text) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int m_mode;
    bool m_forwarding = false;
};
