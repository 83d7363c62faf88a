#include "ucprogress.h"
