#include "catalog/CatalogGlobals.h"
