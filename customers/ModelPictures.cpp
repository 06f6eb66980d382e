#include "customers/ModelPictures.h"

// The model pictures come with the catalogue tab.
void ModelPicReg_Click(int) {}

void ModelPicDelete_Click(int) {}
