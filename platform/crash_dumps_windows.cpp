#include "platform/crash_dumps.h"

#include <windows.h>

namespace platform {
namespace {

// Windows Error Reporting's flag that keeps the heap out of its reports and dumps (werapi.h).
constexpr DWORD WER_NO_HEAP = 1;

// WerSetFlags and WerGetFlags live in kernel32; they are found at run time, which spares the
// program the WER import library.
template <typename Function>
Function kernel32_function(const char* name)
{
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    FARPROC found = kernel ? GetProcAddress(kernel, name) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(found));
}

// Ends the process at once: Windows Error Reporting, which writes local dumps, runs only when
// no filter handled the crash.
LONG WINAPI end_without_dump(EXCEPTION_POINTERS* info)
{
    const UINT code = info && info->ExceptionRecord ? static_cast<UINT>(info->ExceptionRecord->ExceptionCode) : 1u;
    TerminateProcess(GetCurrentProcess(), code);
    return EXCEPTION_EXECUTE_HANDLER;
}

bool heap_kept_out_of_reports()
{
    using GetFlags = HRESULT(WINAPI*)(HANDLE, PDWORD);
    const auto get_flags = kernel32_function<GetFlags>("WerGetFlags");
    DWORD flags = 0;
    return get_flags && SUCCEEDED(get_flags(GetCurrentProcess(), &flags)) && (flags & WER_NO_HEAP) != 0;
}

} // namespace

// The crash dialog, which offers to send a dump, is off (a mode the children started later
// inherit); a crash ends the process through end_without_dump; and should Windows Error
// Reporting run anyway (a fail-fast exit skips the filter), its report leaves the heap out.
bool disable_crash_dumps()
{
    SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(end_without_dump);
    using SetFlags = HRESULT(WINAPI*)(DWORD);
    const auto set_flags = kernel32_function<SetFlags>("WerSetFlags");
    return set_flags && SUCCEEDED(set_flags(WER_NO_HEAP));
}

bool crash_dumps_disabled()
{
    return (GetErrorMode() & SEM_NOGPFAULTERRORBOX) != 0 && heap_kept_out_of_reports();
}

std::optional<bool> memory_private() { return std::nullopt; }

} // namespace platform
