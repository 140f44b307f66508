#pragma once

#include "diffview/SessionOptionDialogSeam.h"

// The difference view's session options button opens the program's session options dialog.
class SessionOptionDialogLink : public SessionOptionDialogSeam
{
public:
    void show(ClsSessionOption *option, QWidget *owner,
              std::function<void(bool changed)> closed) override;
};
