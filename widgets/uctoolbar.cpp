#include "uctoolbar.h"
