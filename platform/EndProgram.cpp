#include "platform/EndProgram.h"

#include "platform/AppError.h"
#include "platform/Registry.h"

#include <cstdlib>

void EndProgramNow(int code)
{
    RegSync();
    if (Global::OnEndProgram)
        Global::OnEndProgram();
    if (Global::EndProgramHook)
        Global::EndProgramHook(code);
    // The hook must not return; if it does, end anyway.
    if (Global::EndProgramHook)
        throw ProgramEnded{code};
    std::exit(code);
}
