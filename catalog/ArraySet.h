#pragma once
// What other subsystems call of the array configuration window
// `FrmArraySet`: it is created hidden when first needed and is only ever
// hidden afterwards; its controls are the working copy of the loaded
// customer's ArrayConfiguration.
class QWidget;

// The window, created hidden when it does not exist yet.
QWidget* ArraySetForm();
// Fills the window from Global::ArrayConfiguration and derives each group's
// rated Pm and correction coefficients from the catalogue.
void ShowArraySetData();
// Shows the window for the loaded customer (the main window hides meanwhile).
void FrmArraySetOpen();
