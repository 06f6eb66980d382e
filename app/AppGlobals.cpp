#include "app/Global.h"
