#pragma once
// The shared state and services of the common floor, in namespace Global.
// Each subsystem keeps its own part of namespace Global in its own folder;
// app/Global.h gathers them all.
#include "common/AppGlobals.h"
#include "common/MainWindowGlobals.h"
#include "platform/AppError.h"
#include "platform/AppPaths.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/EndProgram.h"
#include "platform/Shell.h"
