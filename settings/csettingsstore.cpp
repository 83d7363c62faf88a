#include "csettingsstore.h"
