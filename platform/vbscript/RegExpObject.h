#pragma once

#include "platform/com/DispatchObject.h"
#include "platform/vbscript/ValueHolder.h"

#include "platform/vbscript/CompiledPattern.h"

#include <memory>

namespace vbs {

// The script's RegExp object (New RegExp): Pattern, IgnoreCase, Global, MultiLine, Test,
// Replace ($1..$99, $&, $`, $', $$) and Execute, which gives a collection of Match objects
// (Value, FirstIndex, Length, SubMatches).
class RegExpObject : public com::DispatchObject, public ValueHolder
{
public:
    QString typeName() const override { return QStringLiteral("IRegExp2"); }
    void heldValues(std::vector<com::Variant> *values) const override
    {
        *values = {com::Variant(m_pattern)};
    }
    com::Variant invoke(const QString &member, std::vector<com::Variant> &args) override;
    void put(const QString &member, const std::vector<com::Variant> &args,
             const com::Variant &value) override;

private:
    CompiledPattern &compiled();
    // Raises the engine's giving up on the last match as the script's error.
    void checkGivenUp(const CompiledPattern &re) const;
    QString replace(const QString &subject, const QString &replacement);
    // Appends `replacement` with its "$" references filled in from the pattern's last match.
    static void expand(QString &out, const QString &replacement, const QString &subject,
                       const CompiledPattern &m);

    QString m_pattern;
    bool m_ignoreCase = false;
    bool m_global = false;
    bool m_multiLine = false;
    std::unique_ptr<CompiledPattern> m_regex;
};

} // namespace vbs
