#include "writequeue.h"
