#include "engine/CompareViewSeam.h"

template class Seam<CompareViewSeam>;
