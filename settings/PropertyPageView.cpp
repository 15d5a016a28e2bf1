#include "PropertyPageView.h"
