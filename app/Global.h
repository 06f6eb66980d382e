#pragma once
// All shared state of the program, in one namespace: the common floor's and
// every subsystem's part of namespace Global.
#include "catalog/ArraySetGlobals.h"
#include "catalog/CatalogGlobals.h"
#include "common/Global.h"
#include "customers/CustomerGlobals.h"
#include "instrument/InstrumentGlobals.h"
#include "instrument/MeasRecordGlobals.h"
#include "measview/MeasViewGlobals.h"
#include "report/ReportGlobals.h"
