// Windows: gaugeplot2d's standard output for a GUI-subsystem program, and its listing window.
//
// A GUI-subsystem program has no console. What its standard output holds at start-up tells how
// it was started: a file or a pipe when the user redirected it (left alone), nothing otherwise.
// Then the console it was started from, if any, takes the listing; failing that, standard output
// becomes a pipe read by a thread here, which opens a listing window with the first bytes.
//
// Why that window is a second process: closing a console window ends every process attached to
// it. Windows sends those processes CTRL_CLOSE_EVENT and terminates them once their handler
// returns, or after a few seconds if it does not; taking the close command off the window's menu
// only hides it (the taskbar still offers "Close window"). The only console window this program
// can lose safely is one it is not attached to. The window's process reads the listing from a
// pipe and ends when its window is closed (the next listing opens a new one) or this one ends.
#include "listing_console.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

namespace gaugeplot_windows {

namespace {

constexpr char ListingWindowArgument[] = "--listing-window";
constexpr wchar_t ListingWindowTitle[] = L"gaugeplot2d listing";

// The pipe our standard output writes into, read by the relay thread.
HANDLE relayInput = nullptr;
// The listing window process's standard input, or null while no window is open.
HANDLE windowInput = nullptr;
// One pipe-full at a time; a listing larger than this arrives in several pieces.
char relayBuffer[65536];

bool isOpen(HANDLE h)
{
    return h != nullptr && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN;
}

// Makes the C library's standard output write to `h`, in text mode (lines end in CR LF).
void pointStandardOutputAt(HANDLE h)
{
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_TEXT | _O_WRONLY);
    if (fd < 0)
        return;
    _dup2(fd, 1);
    _close(fd);
    // Started without standard output, the stream may have been given the descriptor -2, which
    // freopen refuses (Wine's msvcrt does this, as Microsoft's newer C libraries do): it is
    // pointed at descriptor 1 itself.
    if (_fileno(stdout) != 1)
        stdout->_file = 1;
    std::clearerr(stdout);
    SetStdHandle(STD_OUTPUT_HANDLE, reinterpret_cast<HANDLE>(_get_osfhandle(1)));
}

// Starts this program again as a listing window; returns the write end of its input, or null.
HANDLE openListingWindow()
{
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &inherited, sizeof relayBuffer))
        return nullptr;
    SetHandleInformation(write, HANDLE_FLAG_INHERIT, 0);

    static wchar_t path[MAX_PATH];
    static wchar_t commandLine[MAX_PATH + 64];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = read;
    PROCESS_INFORMATION started{};
    bool ok = length > 0 && length < MAX_PATH &&
              std::swprintf(commandLine, sizeof commandLine / sizeof *commandLine, L"\"%ls\" %hs", path,
                            ListingWindowArgument) > 0 &&
              CreateProcessW(path, commandLine, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started);
    CloseHandle(read);
    if (!ok) {
        CloseHandle(write);
        return nullptr;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return write;
}

// Passes what standard output receives on to the listing window, opening one when none is open.
// A write that fails means the user closed the window: the same bytes go to a new one.
DWORD WINAPI relay(void*)
{
    DWORD got = 0;
    while (ReadFile(relayInput, relayBuffer, sizeof relayBuffer, &got, nullptr)) {
        for (int attempt = 0; attempt < 2; attempt++) {
            if (windowInput == nullptr)
                windowInput = openListingWindow();
            DWORD put = 0;
            if (windowInput == nullptr || WriteFile(windowInput, relayBuffer, got, &put, nullptr))
                break;
            CloseHandle(windowInput);
            windowInput = nullptr;
        }
    }
    return 0;
}

// The listing window's process: a console of its own showing its input until that ends.
[[noreturn]] void showListing()
{
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);  // before AllocConsole replaces it
    AllocConsole();
    SetConsoleTitleW(ListingWindowTitle);
    HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD got = 0, put = 0;
    while (ReadFile(input, relayBuffer, sizeof relayBuffer, &got, nullptr) && got > 0)
        WriteFile(console, relayBuffer, got, &put, nullptr);
    ExitProcess(0);
}

}  // namespace

void routeStandardOutput(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], ListingWindowArgument) == 0)
        showListing();
    if (isOpen(GetStdHandle(STD_OUTPUT_HANDLE)))
        return;
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
        if (console != INVALID_HANDLE_VALUE) {
            pointStandardOutputAt(console);
            return;
        }
        FreeConsole();
    }
    HANDLE write = nullptr;
    if (!CreatePipe(&relayInput, &write, nullptr, sizeof relayBuffer))
        return;
    pointStandardOutputAt(write);
    CloseHandle(CreateThread(nullptr, 0, relay, nullptr, 0, nullptr));
}

}  // namespace gaugeplot_windows
