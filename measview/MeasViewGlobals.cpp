#include "measview/MeasViewGlobals.h"
