#pragma once
// Ending the program at once: the settings are flushed, the instrument link
// is closed and the process exits, so no code after a nested dialog goes on
// writing. Tests replace the exit with a thrown ProgramEnded.
#include <functional>

namespace Global {
// Run before the exit (the instrument link registers its close here).
inline std::function<void()> OnEndProgram;
// When set, called instead of exiting the process (tests throw from it).
inline std::function<void(int)> EndProgramHook;
} // namespace Global

[[noreturn]] void EndProgramNow(int code = 0);
