#pragma once
// The catalogue tab's command buttons of the shared `CmdBtn` array: new and
// deleted makers and models of both catalogues and a maker's documents
// folder. `CmdBtn_Click` hands these indexes over.

// True for the indexes that belong to the catalogue tab.
bool IsCatalogCommand(int index);
void CatalogCommand_Click(int index);
