#include "PropertyPageKeybd.h"
