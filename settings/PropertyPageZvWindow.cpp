#include "PropertyPageZvWindow.h"
