#include "frmsplash.h"
