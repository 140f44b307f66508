#include "engine/CompareMainWindow.h"

template class Seam<CompareMainWindow>;
