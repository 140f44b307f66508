#pragma once

#include "platform/com/IDispatch.h"
#include "platform/text/BasicError.h"

#include <QString>
#include <cstddef>
#include <vector>

namespace pairwin {

// A member of a dual interface as late binding finds it: its name and dispatch identifier.
struct DispatchMember
{
    const char *name;
    com::DISPID id;

    // The identifier of the member named, without regard to case.
    template <std::size_t N>
    static com::HRESULT find(const DispatchMember (&members)[N], const QString &name,
                             com::DISPID *id)
    {
        if (!id) return com::E_POINTER;
        for (const DispatchMember &m : members) {
            if (name.compare(QLatin1String(m.name), Qt::CaseInsensitive) == 0) {
                *id = m.id;
                return com::S_OK;
            }
        }
        return com::DISP_E_UNKNOWNNAME;
    }

    // One call made through Invoke: its arguments and where its result goes.
    struct Call
    {
        std::vector<com::Variant> &args;
        com::Variant *result;

        bool needs(std::size_t count) const { return args.size() == count; }
        void give(const com::Variant &value) const
        {
            if (result) *result = value;
        }
    };

    // Runs a call made through Invoke or a property put: an argument that does not convert is
    // a type mismatch, never an exception through the interface.
    template <class F> static com::HRESULT guarded(F &&call)
    {
        try {
            return call();
        } catch (const BasicError &) {
            return com::DISP_E_TYPEMISMATCH;
        }
    }
    template <class F>
    static com::HRESULT guarded(std::vector<com::Variant> &args, com::Variant *result, F &&call)
    {
        return guarded([&] { return call(Call{args, result}); });
    }
};

} // namespace pairwin
