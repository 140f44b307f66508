#pragma once

#include "platform/com/Variant.h"

#include <QSet>
#include <cstddef>
#include <cstdint>

namespace vbs {

// Adds up the bytes that script values take: texts, arrays with everything in them, and what
// the runtime's objects hold. A text, array or object that several values share counts once.
class ValueCensus
{
public:
    void add(const com::Variant &value);
    void add(const com::Variant *values, std::size_t count);
    std::int64_t bytes() const { return m_bytes; }

    // What one value takes by itself: a text's characters, an array's element slots (not what
    // the elements hold), an object's fixed share.
    static std::int64_t shallowBytes(const com::Variant &value);
    static std::int64_t textBytes(qsizetype characters)
    {
        return std::int64_t(characters) * 2 + 32;
    }

private:
    bool firstSight(const void *shared);

    QSet<const void *> m_seen;
    std::int64_t m_bytes = 0;
};

} // namespace vbs
