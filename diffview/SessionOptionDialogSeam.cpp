#include "diffview/SessionOptionDialogSeam.h"

template class Seam<SessionOptionDialogSeam>;
