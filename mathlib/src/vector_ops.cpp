// Placeholder: the vector operations arrive with the library frame.
#include "quadrel.h"
