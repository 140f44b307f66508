#include "platform/vbscript/ErrObject.h"

#include "platform/vbscript/Builtins.h"
#include "platform/vbscript/MemberName.h"
#include "platform/vbscript/Operators.h"
#include "platform/vbscript/ScriptError.h"

namespace vbs {

using com::Variant;

namespace {

bool given(const std::vector<Variant> &args, std::size_t i)
{
    return i < args.size() && !Builtins::isMissing(args[i]);
}

} // namespace

void ErrObject::set(int number, const QString &description, const QString &source)
{
    m_number = number;
    m_description = description;
    m_source = source;
}

void ErrObject::clear()
{
    m_number = 0;
    m_description.clear();
    m_source.clear();
}

Variant ErrObject::invoke(const QString &member, std::vector<Variant> &args)
{
    if (MemberName::is(member, "Number")) return Variant(std::int32_t(m_number));
    if (MemberName::is(member, "Description")) return Variant(m_description);
    if (MemberName::is(member, "Source")) return Variant(m_source);
    if (MemberName::is(member, "HelpFile")) return Variant(QString());
    if (MemberName::is(member, "HelpContext")) return Variant(std::int32_t(0));
    if (MemberName::is(member, "Clear")) {
        clear();
        return Variant();
    }
    if (MemberName::is(member, "Raise")) {
        if (!given(args, 0)) throw BasicError(450);
        int number = Operators::toLong(args[0]);
        if (number == 0) throw BasicError(BasicError::InvalidCall);
        QString source = given(args, 1) ? Operators::deref(args[1]).toString()
                                        : QStringLiteral("VBScript runtime error");
        QString description = given(args, 2) ? Operators::deref(args[2]).toString() : QString();
        throw ScriptError(number, description, 0, 0, ScriptError::Runtime, source);
    }
    return DispatchObject::invoke(member, args);
}

void ErrObject::put(const QString &member, const std::vector<Variant> &args, const Variant &value)
{
    if (MemberName::is(member, "Number"))
        m_number = Operators::toLong(value);
    else if (MemberName::is(member, "Description"))
        m_description = Operators::deref(value).toString();
    else if (MemberName::is(member, "Source"))
        m_source = Operators::deref(value).toString();
    else
        DispatchObject::put(member, args, value);
}

} // namespace vbs
