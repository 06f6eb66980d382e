#pragma once
// All shared state of the program, in one namespace.
#include "app/AppGlobals.h"
#include "catalog/CatalogGlobals.h"
#include "customers/CustomerGlobals.h"
#include "instrument/InstrumentGlobals.h"
#include "measview/MeasViewGlobals.h"
#include "platform/AppPaths.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/AppError.h"
#include "platform/EndProgram.h"
#include "platform/Shell.h"
#include "report/ReportGlobals.h"
