#include "platform/vbscript/RegExpObject.h"

#include "platform/text/BasicError.h"
#include "platform/vbscript/Interpreter.h"
#include "platform/vbscript/MemberName.h"
#include "platform/vbscript/Operators.h"
#include "platform/vbscript/ValueHolder.h"

namespace vbs {

using com::Variant;

namespace {

QString argText(std::vector<Variant> &args, std::size_t i)
{
    if (i >= args.size()) throw BasicError(450);
    const Variant &v = args[i];
    if (v.isNull()) throw BasicError(BasicError::InvalidUseOfNull);
    return Operators::deref(v).toString();
}

// A read-only list of values with Count and Item (its default member).
class ValueCollection : public com::DispatchObject, public ValueHolder
{
public:
    ValueCollection(QString name, std::vector<Variant> items)
        : m_name(std::move(name)), m_items(std::move(items))
    {
    }
    QString typeName() const override { return m_name; }
    QString defaultMember() const override { return QStringLiteral("Item"); }
    bool enumerate(std::vector<Variant> *items) const override
    {
        *items = m_items;
        return true;
    }
    void heldValues(std::vector<Variant> *values) const override { *values = m_items; }
    Variant invoke(const QString &member, std::vector<Variant> &args) override
    {
        if (MemberName::is(member, "Count")) return Variant(std::int32_t(m_items.size()));
        if (MemberName::is(member, "Item")) {
            if (args.size() != 1) throw BasicError(450);
            std::int32_t i = Operators::toLong(args[0]);
            if (i < 0 || std::size_t(i) >= m_items.size())
                throw BasicError(BasicError::InvalidCall);
            return m_items[std::size_t(i)];
        }
        return DispatchObject::invoke(member, args);
    }

private:
    QString m_name;
    std::vector<Variant> m_items;
};

class MatchObject : public com::DispatchObject, public ValueHolder
{
public:
    // The pattern's last match in `subject`.
    MatchObject(const QString &subject, const CompiledPattern &m)
        : m_value(subject.mid(m.start(), m.end() - m.start())), m_index(std::int32_t(m.start()))
    {
        std::vector<Variant> subs;
        for (int i = 1; i <= m.captureCount(); ++i)
            subs.push_back(m.start(i) < 0
                               ? Variant()
                               : Variant(subject.mid(m.start(i), m.end(i) - m.start(i))));
        m_subMatches = Variant(std::static_pointer_cast<com::DispatchObject>(
            std::make_shared<ValueCollection>(QStringLiteral("ISubMatches"), std::move(subs))));
    }
    QString typeName() const override { return QStringLiteral("IMatch2"); }
    void heldValues(std::vector<Variant> *values) const override
    {
        *values = {Variant(m_value), m_subMatches};
    }
    QString defaultMember() const override { return QStringLiteral("Value"); }
    Variant invoke(const QString &member, std::vector<Variant> &args) override
    {
        if (MemberName::is(member, "Value")) return Variant(m_value);
        if (MemberName::is(member, "FirstIndex")) return Variant(m_index);
        if (MemberName::is(member, "Length")) return Variant(std::int32_t(m_value.size()));
        if (MemberName::is(member, "SubMatches")) {
            if (args.empty()) return m_subMatches;
            return m_subMatches.object()->invoke(QStringLiteral("Item"), args);
        }
        return DispatchObject::invoke(member, args);
    }

private:
    QString m_value;
    std::int32_t m_index;
    Variant m_subMatches;
};

// The pattern as a message quotes it: a pattern of thousands of characters is cut.
QString quotedPattern(const QString &pattern)
{
    constexpr qsizetype shown = 80;
    return QLatin1Char('"') +
           (pattern.size() <= shown ? pattern : pattern.left(shown) + QStringLiteral("...")) +
           QLatin1Char('"');
}

} // namespace

CompiledPattern &RegExpObject::compiled()
{
    // Compiled once per pattern and options, however often the script calls Test or Replace.
    if (!m_regex) m_regex = std::make_unique<CompiledPattern>(m_pattern, m_ignoreCase, m_multiLine);
    if (!m_regex->isValid())
        throw BasicError(5017, QStringLiteral("Syntax error in regular expression: %1 (pattern %2)")
                                   .arg(m_regex->errorString(), quotedPattern(m_pattern)));
    return *m_regex;
}

void RegExpObject::checkGivenUp(const CompiledPattern &re) const
{
    // A wrong True or False would be worse than a stop: the script's author hears why.
    if (re.failed())
        throw BasicError(28, QStringLiteral("The regular expression %1 needs too much backtracking "
                                            "or recursion to finish (%2); write it without "
                                            "nested repeats")
                                 .arg(quotedPattern(m_pattern), re.failure()));
}

QString RegExpObject::replace(const QString &subject, const QString &replacement)
{
    CompiledPattern &re = compiled();
    CompiledPattern::Walk walk(re, subject);
    if (!walk.next()) {
        checkGivenUp(re);
        return subject;
    }
    // A replacement without "$" goes in as it stands.
    const bool plain = !replacement.contains(QLatin1Char('$'));
    QString out;
    out.reserve(subject.size() + (plain ? replacement.size() : 0));
    qsizetype last = 0;
    unsigned turns = 0;
    do {
        if (++turns % 1024 == 0) Interpreter::pulse();
        out += QStringView(subject).mid(last, re.start() - last);
        if (plain)
            out += replacement;
        else
            expand(out, replacement, subject, re);
        Operators::checkLimit(out.size());
        last = re.end();
    } while (m_global && walk.next());
    checkGivenUp(re);
    out += QStringView(subject).mid(last);
    Operators::checkLength(out.size());
    return out;
}

void RegExpObject::expand(QString &out, const QString &replacement, const QString &subject,
                          const CompiledPattern &m)
{
    const int captures = m.captureCount();
    const auto captured = [&](int n) {
        return m.start(n) < 0 ? QStringView()
                              : QStringView(subject).mid(m.start(n), m.end(n) - m.start(n));
    };
    for (qsizetype i = 0; i < replacement.size(); ++i) {
        QChar c = replacement[i];
        if (c != QLatin1Char('$') || i + 1 >= replacement.size()) {
            out += c;
            continue;
        }
        QChar d = replacement[i + 1];
        if (d == QLatin1Char('$')) {
            out += QLatin1Char('$');
            ++i;
        } else if (d == QLatin1Char('&')) {
            out += captured(0);
            ++i;
        } else if (d == QLatin1Char('`')) {
            out += QStringView(subject).left(m.start());
            ++i;
        } else if (d == QLatin1Char('\'')) {
            out += QStringView(subject).mid(m.end());
            ++i;
        } else if (d.isDigit()) {
            int n = d.digitValue();
            qsizetype used = 1;
            if (i + 2 < replacement.size() && replacement[i + 2].isDigit() &&
                n * 10 + replacement[i + 2].digitValue() <= captures) {
                n = n * 10 + replacement[i + 2].digitValue();
                used = 2;
            }
            if (n >= 1 && n <= captures) {
                out += captured(n);
                i += used;
            } else {
                out += c;
            }
        } else {
            out += c;
        }
    }
}

Variant RegExpObject::invoke(const QString &member, std::vector<Variant> &args)
{
    if (MemberName::is(member, "Pattern")) return Variant(m_pattern);
    if (MemberName::is(member, "IgnoreCase")) return Variant(m_ignoreCase);
    if (MemberName::is(member, "Global")) return Variant(m_global);
    if (MemberName::is(member, "MultiLine")) return Variant(m_multiLine);
    if (MemberName::is(member, "Test")) {
        CompiledPattern &re = compiled();
        const bool found = re.find(argText(args, 0), 0);
        checkGivenUp(re);
        return Variant(found);
    }
    if (MemberName::is(member, "Replace"))
        return Variant(replace(argText(args, 0), argText(args, 1)));
    if (MemberName::is(member, "Execute")) {
        const QString subject = argText(args, 0);
        std::vector<Variant> matches;
        CompiledPattern &re = compiled();
        CompiledPattern::Walk walk(re, subject);
        unsigned turns = 0;
        while (walk.next()) {
            if (++turns % 1024 == 0) Interpreter::pulse();
            Operators::checkElements(qint64(matches.size()) + 1);
            matches.push_back(Variant(std::static_pointer_cast<com::DispatchObject>(
                std::make_shared<MatchObject>(subject, re))));
            if (!m_global) break;
        }
        checkGivenUp(re);
        return Variant(
            std::static_pointer_cast<com::DispatchObject>(std::make_shared<ValueCollection>(
                QStringLiteral("IMatchCollection2"), std::move(matches))));
    }
    return DispatchObject::invoke(member, args);
}

void RegExpObject::put(const QString &member, const std::vector<Variant> &args,
                       const Variant &value)
{
    if (MemberName::is(member, "Pattern")) {
        m_pattern = Operators::deref(value).toString();
    } else if (MemberName::is(member, "IgnoreCase")) {
        m_ignoreCase = Operators::truth(value);
    } else if (MemberName::is(member, "Global")) {
        m_global = Operators::truth(value);
    } else if (MemberName::is(member, "MultiLine")) {
        m_multiLine = Operators::truth(value);
    } else {
        DispatchObject::put(member, args, value);
        return;
    }
    m_regex.reset();
}

} // namespace vbs
