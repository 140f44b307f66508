#include "platform/com/DispatchObject.h"

#include "platform/text/BasicError.h"

namespace com {

Variant DispatchObject::invoke(const QString &member, std::vector<Variant> &)
{
    throw BasicError(BasicError::ObjectDoesNotSupport, QString(), member);
}

void DispatchObject::put(const QString &member, const std::vector<Variant> &, const Variant &)
{
    throw BasicError(BasicError::ObjectDoesNotSupport, QString(), member);
}

} // namespace com
