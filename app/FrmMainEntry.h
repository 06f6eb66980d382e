#pragma once
// How start-up opens the main window without knowing its insides.

// Loads and shows the main window (its load runs first).
void FrmMainShow();
// True once the main window has loaded and shown.
bool FrmMainIsLoaded();
