#include "PropertyPageAutoScrl.h"
