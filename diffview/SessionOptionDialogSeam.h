#pragma once

#include "platform/Seam.h"

#include <functional>

class ClsSessionOption;
class QWidget;

// Opens the session options dialog for the difference view, which lives below the main
// program's windows and cannot reach the dialog itself: the main program installs this. The
// dialog edits the options in place and returns at once; `closed` runs after it has closed.
class SessionOptionDialogSeam : public Seam<SessionOptionDialogSeam>
{
public:
    virtual ~SessionOptionDialogSeam() = default;
    virtual void show(ClsSessionOption *option, QWidget *owner,
                      std::function<void(bool changed)> closed) = 0;
};

extern template class Seam<SessionOptionDialogSeam>;
