#include "PropertyPagePosSize.h"
