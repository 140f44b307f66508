#include "platform/vbscript/ValueCensus.h"

#include "platform/com/DispatchObject.h"
#include "platform/com/VariantArray.h"
#include "platform/vbscript/ValueHolder.h"

#include <algorithm>
#include <vector>

namespace vbs {

namespace {

constexpr std::int64_t kArrayOverhead = 96;
constexpr std::int64_t kObjectBytes = 128;

} // namespace

bool ValueCensus::firstSight(const void *shared)
{
    auto before = m_seen.size();
    m_seen.insert(shared);
    return m_seen.size() != before;
}

std::int64_t ValueCensus::shallowBytes(const com::Variant &value)
{
    switch (value.type()) {
    case com::vbString: {
        const QString &s = value.stringValue();
        return s.isEmpty() ? 0 : textBytes(std::max(s.size(), s.capacity()));
    }
    case com::vbArray: {
        auto array = value.array();
        if (!array) return 0;
        return kArrayOverhead + std::int64_t(array->size()) * std::int64_t(sizeof(com::Variant));
    }
    case com::vbObject:
        return kObjectBytes;
    default:
        return 0;
    }
}

void ValueCensus::add(const com::Variant &value)
{
    switch (value.type()) {
    case com::vbString: {
        const QString &s = value.stringValue();
        if (s.isEmpty()) return;
        // A text with one owner is counted where it is met; shared ones once, by their data.
        if (!s.isDetached() && !firstSight(s.constData())) return;
        m_bytes += textBytes(std::max(s.size(), s.capacity()));
        return;
    }
    case com::vbArray: {
        // Checked before array() takes a reference of its own.
        bool shared = value.isShared();
        auto array = value.array();
        if (!array || (shared && !firstSight(array.get()))) return;
        m_bytes += shallowBytes(value);
        for (std::size_t i = 0; i < array->size(); ++i)
            if (array->flat(i).type() == com::vbString || array->flat(i).type() == com::vbArray ||
                array->flat(i).type() == com::vbObject)
                add(array->flat(i));
        return;
    }
    case com::vbObject: {
        auto object = value.object();
        if (!object || !firstSight(object.get())) return;
        m_bytes += kObjectBytes;
        if (const auto *holder = dynamic_cast<const ValueHolder *>(object.get())) {
            std::vector<com::Variant> held;
            holder->heldValues(&held);
            add(held.data(), held.size());
        }
        return;
    }
    default:
        return;
    }
}

void ValueCensus::add(const com::Variant *values, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        add(values[i]);
}

} // namespace vbs
