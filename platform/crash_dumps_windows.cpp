#include "platform/crash_dumps.h"

#include <windows.h>

namespace platform {

// The crash dialog of Windows Error Reporting, which offers to send a dump of the process, is
// turned off; the mode is inherited by the children started later.
bool disable_crash_dumps()
{
    SetErrorMode(GetErrorMode() | SEM_NOGPFAULTERRORBOX);
    return true;
}

bool crash_dumps_disabled() { return (GetErrorMode() & SEM_NOGPFAULTERRORBOX) != 0; }

} // namespace platform
