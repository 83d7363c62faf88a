#include "configpages.h"
