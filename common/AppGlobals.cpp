#include "common/Global.h"
