#include "monitorpage.h"
