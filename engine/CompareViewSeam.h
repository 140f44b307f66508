#pragma once

#include "platform/Seam.h"

#include <memory>

class ClsCompareCore;
class ClsComparePair;

// The difference view as the comparison core sees it. The view installs an implementation;
// until then a detail run compares its pairs and shows nothing.
class CompareViewSeam : public Seam<CompareViewSeam>
{
public:
    virtual ~CompareViewSeam() = default;
    // Shows the pair side by side, modally: returns when the view has closed.
    virtual void ShowPairDetail(ClsCompareCore &core, std::shared_ptr<ClsComparePair> pair) = 0;
};

extern template class Seam<CompareViewSeam>;
