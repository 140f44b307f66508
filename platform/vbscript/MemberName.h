#pragma once

#include <QString>

namespace vbs {

// Names of the runtime objects' members, which scripts write in any case.
struct MemberName
{
    // True when `member` is `name` without regard to case. Members are looked up on every
    // call: plain ASCII names compare without Unicode case folding.
    template <qsizetype N> static bool is(const QString &member, const char (&name)[N])
    {
        if (member.size() != N - 1) return false;
        const QChar *m = member.constData();
        for (qsizetype i = 0; i < N - 1; ++i) {
            char16_t c = m[i].unicode();
            if (c > 0x7F)
                return member.compare(QLatin1String(name, N - 1), Qt::CaseInsensitive) == 0;
            if (c != char16_t(name[i]) && !(isLetter(c) && (c | 0x20) == (name[i] | 0x20)))
                return false;
        }
        return true;
    }

private:
    static bool isLetter(char16_t c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
};

} // namespace vbs
