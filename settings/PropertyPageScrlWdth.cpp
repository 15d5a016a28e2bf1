#include "PropertyPageScrlWdth.h"
