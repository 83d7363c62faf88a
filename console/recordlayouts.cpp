#include "recordlayouts.h"
