#include "customers/CatalogCommands.h"

bool IsCatalogCommand(int index)
{
    switch (index) {
    case 4: case 6: case 7: case 9: case 12: case 13: case 14: case 15: case 16: case 17:
        return true;
    default:
        return false;
    }
}

// Not built yet.
void CatalogCommand_Click(int index) {}
