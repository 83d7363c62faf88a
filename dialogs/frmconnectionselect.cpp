#include "frmconnectionselect.h"
