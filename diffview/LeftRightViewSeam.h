#pragma once

#include "engine/CompareViewSeam.h"

#include <functional>

class frmLeftRight;

// The difference view as the comparison core opens it: a new view for the pair, shown modally
// over the program's windows; the call returns once the view has closed. The program installs
// one (CompareViewSeam::install).
class LeftRightViewSeam : public CompareViewSeam
{
public:
    // Drives the shown view instead of waiting for the user, and returns once it has closed:
    // tests use it, since the core's run waits inside this call.
    using Runner = std::function<void(frmLeftRight &view)>;

    void ShowPairDetail(ClsCompareCore &core, std::shared_ptr<ClsComparePair> pair) override;
    void setRunner(Runner runner) { m_runner = std::move(runner); }

private:
    Runner m_runner;
};
