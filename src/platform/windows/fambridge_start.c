// Starts a Windows program under Wine with exactly the command line FamBridge built for it, minimised,
// in the folder given. Wine makes a program's command line from its Unix arguments and quotes them by
// rules of its own, so the line cannot be handed over as arguments. It comes instead as hexadecimal
// UTF-16 code units, which no quoting changes, and goes to CreateProcessW as it stands; Windows then
// finds the program from the line's first field, adding ".exe" as it does for any program named
// without an extension.
//
//   fambridge-start <command line in hex> <current folder in hex>
//
// Exit status: 0 started, 2 wrong arguments, 3 the program could not be started (reason on stderr).

#include <windows.h>

#include <stdio.h>
#include <wchar.h>

static int hexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

// NULL when the text is no whole number of four-digit code units.
static wchar_t* decode(const wchar_t* hex) {
    size_t length = wcslen(hex);
    if (length % 4 != 0)
        return NULL;
    wchar_t* text = HeapAlloc(GetProcessHeap(), 0, (length / 4 + 1) * sizeof(wchar_t));
    if (!text)
        return NULL;
    for (size_t unit = 0; unit < length / 4; ++unit) {
        unsigned value = 0;
        for (size_t digit = 0; digit < 4; ++digit) {
            int nibble = hexDigit(hex[unit * 4 + digit]);
            if (nibble < 0)
                return NULL;
            value = value * 16 + (unsigned)nibble;
        }
        text[unit] = (wchar_t)value;
    }
    text[length / 4] = L'\0';
    return text;
}

int wmain(int argc, wchar_t* argv[]) {
    if (argc != 3) {
        fwprintf(stderr, L"usage: fambridge-start <command line in hex> <current folder in hex>\n");
        return 2;
    }
    wchar_t* commandLine = decode(argv[1]);
    wchar_t* folder = decode(argv[2]);
    if (!commandLine || !folder || !*commandLine) {
        fwprintf(stderr, L"fambridge-start: the command line or folder is not hexadecimal UTF-16\n");
        return 2;
    }

    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMINIMIZED;
    PROCESS_INFORMATION process;
    if (!CreateProcessW(NULL, commandLine, NULL, NULL, FALSE, 0, NULL, folder, &startup, &process)) {
        fwprintf(stderr, L"fambridge-start: CreateProcess failed with error %lu\n", GetLastError());
        return 3;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}
