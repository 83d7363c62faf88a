#include "recordcodec.h"
