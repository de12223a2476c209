// Linked into every Windows test program: an unhandled exception ends the
// process at once with exit code 3 and one line on standard error, instead
// of handing it to a debugger that, under Wine on a display nobody watches,
// waits for a click until the test run times out.
#include <windows.h>

#include <cstdio>

namespace {

LONG WINAPI report_and_terminate(EXCEPTION_POINTERS* pointers)
{
    const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
    char line[160];
    int length = std::snprintf(line, sizeof line, "unhandled exception 0x%08lx at 0x%016llx; the test program ends with code 3\n",
                               static_cast<unsigned long>(record->ExceptionCode),
                               reinterpret_cast<unsigned long long>(record->ExceptionAddress));
    // WriteFile, not stdio: the fault may have struck while stdio's lock was held.
    DWORD written = 0;
    if (length > 0)
        WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, static_cast<DWORD>(length), &written, nullptr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

// Installed before main runs, after the C runtime's own filter, which it replaces.
const LPTOP_LEVEL_EXCEPTION_FILTER previous_filter = SetUnhandledExceptionFilter(report_and_terminate);

}  // namespace
