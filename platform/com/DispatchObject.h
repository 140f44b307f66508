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
    // For Each over the object: fills the items and returns true when it is a collection.
    virtual bool enumerate(std::vector<Variant> *items) const
    {
        (void)items;
        return false;
    }
};

} // namespace com
