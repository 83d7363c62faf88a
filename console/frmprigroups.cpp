#include "frmprigroups.h"
