#include "autocombo.h"
