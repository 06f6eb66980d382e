#pragma once
// The tools menu of the main window: the full backup of the data folder's
// working folders, the import of a catalogue folder, the download page and
// the way to the data-folder choice.
#include <QString>

// The maker's download page, opened by the tools menu.
inline const QString DownloadPageAddress = QStringLiteral("https://www.tolvane.com/maintenance/downloads");

// Asks for a folder and copies the four working folders into a new dated
// backup set there, with the progress window.
void MnuBackup_Click();
// Asks for a catalogue folder of the catalogue page shown (MODULE_DATA or
// POWER_CONDITIONER_DATA) and merges it into the data folder's catalogue,
// which is then read again.
void MnuInport_Click();
// Opens the download page; a failure passes without a message.
void MnuUpdateInternet_Click();
// Hides the main window and shows the password window.
void MnuSaveFolderSel_Click();

// Connects the tools menu's items to their handlers; called once by the
// main window after it built its menus.
void ConnectToolsMenu();
