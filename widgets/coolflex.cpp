#include "coolflex.h"
