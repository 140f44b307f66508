#pragma once

#include "platform/com/Variant.h"

#include <QString>
#include <cstdint>

namespace vbs {

class Interpreter;

using BuiltinFn = com::Variant (*)(Interpreter &interpreter, com::Variant *args, int argc);

struct BuiltinInfo
{
    const char *name;
    BuiltinFn fn;
    std::int8_t minArgs;
    std::int8_t maxArgs;
};

// The built-in functions and constants that scripts see. Functions that would reach outside the
// interpreter (CreateObject, GetObject, Execute, Eval, InputBox...) are present only to raise a
// clear error.
class Builtins
{
public:
    // Arguments of the fixed-arity built-ins fit a small buffer; Array takes up to kMaxListArgs.
    static constexpr int kMaxArgs = 6;
    static constexpr int kMaxListArgs = 127;

    static const BuiltinInfo *find(const QString &name);
    static bool constant(const QString &name, com::Variant *value);
    // Missing optional arguments arrive as this Error variant.
    static bool isMissing(const com::Variant &v);
};

} // namespace vbs
