#include "customers/CustomerGlobals.h"
