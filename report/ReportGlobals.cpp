#include "report/ReportGlobals.h"
