#include "cspooling.h"
