#include "engine/CompareViewSeam.h"

namespace {
CompareViewSeam *g_view = nullptr;
}

void CompareViewSeam::install(CompareViewSeam *seam)
{
    g_view = seam;
}

CompareViewSeam *CompareViewSeam::installed()
{
    return g_view;
}
