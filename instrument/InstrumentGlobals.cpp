#include "instrument/InstrumentGlobals.h"
