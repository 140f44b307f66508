#include "app/SessionOptionDialogLink.h"

#include "app/frmSessionOption.h"

void SessionOptionDialogLink::show(ClsSessionOption *option, QWidget *owner,
                                   std::function<void(bool changed)> closed)
{
    frmSessionOption::ShowModal(option, owner, std::move(closed));
}
