// What the Windows game does before main, as the Linux launcher does around
// it: it runs in its own folder, which holds its content, from wherever it
// was started; and, being a program of the GUI subsystem (no console window
// opens for it), it writes its error lines to the console it was started
// from, if any, unless its error output was sent elsewhere.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

void enterProgramFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0)
            return;
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L"\\/");
    if (slash != std::wstring::npos)
        SetCurrentDirectoryW(path.substr(0, slash).c_str());
}

bool hasOutput(DWORD which)
{
    const HANDLE handle = GetStdHandle(which);
    return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

void writeToParentConsole()
{
    if (hasOutput(STD_ERROR_HANDLE) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    std::freopen("CONOUT$", "w", stderr);
    if (!hasOutput(STD_OUTPUT_HANDLE))
        std::freopen("CONOUT$", "w", stdout);
}

// Constructed with the program's other globals, before main.
struct ProgramStart {
    ProgramStart()
    {
        writeToParentConsole();
        enterProgramFolder();
    }
} Start;

} // namespace
