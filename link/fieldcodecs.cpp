#include "fieldcodecs.h"
