// console_interrupt: starts quellarin-render.exe on a long render into FOLDER,
// says "staged" on standard output once its staging file exists, and then
// waits for it to end by a console interrupt that the caller delivers. Passes
// when it ended as an interrupted console program ends (STATUS_CONTROL_C_EXIT)
// with neither its staging file nor its image left behind.
// usage: console_interrupt.exe RENDER.exe FOLDER
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

// Whether FOLDER holds a file the program stages its output in.
bool staging_file_in(const std::filesystem::path& folder)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::wstring name = entry.path().filename().wstring();
        if (name.rfind(L"quellarin-", 0) == 0 && entry.path().extension() == L".part")
            return true;
    }
    return false;
}

int fail(const char* what)
{
    std::printf("FAIL: %s\n", what);
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3)
        return fail("usage: console_interrupt.exe RENDER.exe FOLDER");
    // Not SetConsoleCtrlHandler(nullptr, TRUE) here: a child inherits the
    // ignoring of Ctrl-C, and the interrupt is the child's.
    const std::filesystem::path folder = argv[2];
    const std::filesystem::path image = folder / L"interrupted.png";
    // Beside the cusp of the cardioid, orbits take millions of steps to settle:
    // half a minute of work or more, so the interrupt always comes mid-render.
    std::wstring command = std::wstring(L"\"") + argv[1] +
                           L"\" --center-x 0.25 --radius 1e-4 --iterations 2000000 --size 4096x4096 --workers 2 "
                           L"--quiet --output \"" +
                           image.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child))
        return fail("quellarin-render.exe did not start");
    CloseHandle(child.hThread);
    // The file is staged before any pixel is computed; a minute is only a bound.
    bool staged = false;
    for (int tries = 0; tries < 6000 && !staged; ++tries) {
        staged = staging_file_in(folder);
        if (!staged && WaitForSingleObject(child.hProcess, 10) == WAIT_OBJECT_0)
            break;
    }
    if (!staged) {
        TerminateProcess(child.hProcess, 1);
        return fail("no staging file appeared before the render ended");
    }
    std::printf("staged\n");
    std::fflush(stdout);
    if (WaitForSingleObject(child.hProcess, 120000) != WAIT_OBJECT_0) {
        TerminateProcess(child.hProcess, 1);
        return fail("the render did not end within 2 minutes of its interrupt");
    }
    DWORD code = 0;
    GetExitCodeProcess(child.hProcess, &code);
    CloseHandle(child.hProcess);
    int failed = 0;
    if (code != static_cast<DWORD>(STATUS_CONTROL_C_EXIT)) {
        std::printf("FAIL: exit code 0x%08lx, not STATUS_CONTROL_C_EXIT\n", static_cast<unsigned long>(code));
        failed = 1;
    }
    if (staging_file_in(folder))
        failed = fail("its staging file was left behind");
    if (std::filesystem::exists(image))
        failed = fail("an image was written although the render was interrupted");
    if (!failed)
        std::printf("interrupted with exit code 0x%08lx, nothing left behind\n", static_cast<unsigned long>(code));
    return failed;
}
