#pragma once

#include "platform/com/Variant.h"

#include <vector>

namespace vbs {

// An object of the script runtime that keeps script values (a match collection, a match):
// the memory budget counts what it holds.
class ValueHolder
{
public:
    virtual ~ValueHolder() = default;
    virtual void heldValues(std::vector<com::Variant> *values) const = 0;
};

} // namespace vbs
