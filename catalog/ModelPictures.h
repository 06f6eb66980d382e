#pragma once
// The product picture of the chosen model of each catalogue side (0
// modules, 1 power conditioners): a shrunken JPEG copy in the maker's
// picture folder ({maker folder}/{UI text 541 or 542}, found under the name
// any language file gives it, the language in use first), named by the model's
// PictureFile, shown in `ImgModule_0` / `ImgModule_1` inside the model frame
// of 4800 x 3600 twips. A picture change lives in the in-memory catalogue
// (and marks the catalogue tab edited) until the model is registered.
#include <QString>

// Shows the picture file `path` in the side's box, fitted into the model
// frame at its top-left corner, and sets ShownModelPicturePath of the side
// to it. An empty path, a missing file or a file that is no picture leaves
// the box empty at frame size and the shown path empty. True when shown.
bool ShowModelPicture(int side, const QString& path);

// The picture of the chosen model as it is to be shown: {picture folder}/
// {PictureFile}; empty without a chosen model, with an empty PictureFile, or
// when PictureFile is not a bare file name (a reference never leaves the
// picture folder).
QString ModelPicturePath(int side);

// True when `path` may be handed to the desktop as the side's product
// picture: a bare file name inside the chosen model's picture folder, an
// existing file that is an image by its content and by its extension.
bool IsViewableModelPicture(int side, const QString& path);

// Picture registration of the chosen model (the catalogue's share of
// `CmdPicReg_Click`): index 2 the module side, 4 the power-conditioner side,
// anything else nothing. Without a chosen model nothing happens. Asks for a
// file (filter UI text 539), stores its shrunken copy in the picture folder
// (created when missing), shows it and records the copy's name in the
// model's PictureFile; sets TabModified[3]. Cancel changes nothing.
void ModelPictureRegister(int index);

// Picture removal (the catalogue's share of `MnuPicDelete_Click`): empties
// the box and the PictureFile of the chosen model of `side`; sets
// TabModified[3]. The picture file stays on disk.
void ModelPictureRemove(int side);
