#pragma once
// Shared state of this subsystem, in namespace Global (see app/Global.h).

namespace Global {
} // namespace Global
