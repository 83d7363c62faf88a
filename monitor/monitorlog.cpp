#include "monitorlog.h"
