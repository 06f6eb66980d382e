#pragma once
// Shared state of this part of the program, in namespace Global (see app/Global.h).

namespace Global {
} // namespace Global
