#pragma once

#include "platform/com/Variant.h"

#include <vector>

namespace com {

// An automation object reached by late binding, as scripts see it: members are found by name
// without regard to case. A missing member raises error 438.
class DispatchObject : public VariantBox
{
public:
    virtual QString typeName() const = 0;
    // A property read or a method call.
    virtual Variant invoke(const QString &member, std::vector<Variant> &args);
    // A property assignment (obj.member(args) = value).
    virtual void put(const QString &member, const std::vector<Variant> &args, const Variant &value);
    // The default member's name, empty when the object has none.
    virtual QString defaultMember() const { return QString(); }
};

} // namespace com
