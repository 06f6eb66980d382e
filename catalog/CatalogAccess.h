#pragma once
// Reading the catalogues and their selection by side (0 modules, 1 power
// conditioners), so that code serving both sides is written once. Indexes
// out of range read as nothing; nothing here shows a window.
#include <QString>

#include <cstdint>

// The selection variables of `side` (CurModuleMaker / CurPowConMaker, ...).
std::int32_t& CurMaker(int side);
std::int32_t& CurModel(int side);

std::int32_t MakerCount(int side);
// The maker's name; empty for an index out of range.
QString MakerNameAt(int side, int maker);
std::int32_t ModelCountAt(int side, int maker);
QString ModelCodeAt(int side, int maker, int model);

// The first maker whose name equals `name` exactly (letter case counts),
// or -1; the same for a model code of one maker.
int FindMaker(int side, const QString& name);
int FindModel(int side, int maker, const QString& code);

// True when the selection of `side` names a loaded model.
bool ModelSelected(int side);
// The picture field of the selected model; nullptr without a selection.
QString* SelectedPictureFile(int side);

// {maker folder}/{UI text 541 (modules) or 542 (power conditioners)}.
QString ModelPictureFolder(int side, const QString& maker);
