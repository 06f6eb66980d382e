#pragma once
// The choice of a new data folder as plain code: which folder a typed text
// names, whether it may be a data folder, and the folder browser the tools
// menu and the data-folder window share.
#include <QString>

class QWidget;

// The folder a relative text is taken from: the data folder in use when it
// exists, else the program's folder.
QString FolderChoiceBase(const QString& dataFolder);

struct FolderChoice {
    // 0 when accepted, else the UI text of the refusal: 589 nothing typed,
    // 594 a system folder, 735 a folder that cannot be made or written.
    int refusal = 0;
    // The accepted folder: absolute, clean, without a trailing "/".
    QString folder;
};
// Checks the text typed for a new data folder and creates the folder (with
// its parents) when it is accepted. "~" stands for the home folder; a
// relative text is taken from `base`. A system folder is refused before
// anything is created.
FolderChoice ChooseDataFolder(const QString& typed, const QString& base);

// The folder browser: returns the chosen folder, empty when cancelled.
// `newStyle` is the browser that offers to make a new folder (Qt's always
// does).
QString ShowFolders(QWidget* owner, const QString& title, const QString& initialFolder, bool newStyle);

// Stores `folder` as the data folder of the next start ("SaveFolder");
// true only when the settings give it back exactly (else the
// old value stays).
bool StoreDataFolder(const QString& folder);
