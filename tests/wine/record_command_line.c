// A stand-in for a converter that is a Windows program. It records what Windows gave it: the raw command
// line, that line as CommandLineToArgvW splits it, the start-up window state and the current folder, in
// <its own path>.out as UTF-8 records key=value, each ended by a NUL byte; written under another name and
// renamed, so that a reader never sees half of it.

#include <windows.h>

#include <shellapi.h>
#include <stdio.h>

static void add(FILE* file, const char* key, const wchar_t* value) {
    static char utf8[4 * 32768];
    if (WideCharToMultiByte(CP_UTF8, 0, value, -1, utf8, sizeof utf8, NULL, NULL) <= 0)
        utf8[0] = '\0';
    fprintf(file, "%s=%s", key, utf8);
    fputc('\0', file);
}

int wmain(void) {
    wchar_t self[MAX_PATH], partial[MAX_PATH + 16], finished[MAX_PATH + 16], folder[MAX_PATH];
    if (!GetModuleFileNameW(NULL, self, MAX_PATH))
        return 2;
    swprintf(partial, MAX_PATH + 16, L"%ls.partial", self);
    swprintf(finished, MAX_PATH + 16, L"%ls.out", self);
    FILE* file = _wfopen(partial, L"wb");
    if (!file)
        return 3;

    const wchar_t* line = GetCommandLineW();
    add(file, "line", line);
    int count = 0;
    wchar_t** fields = CommandLineToArgvW(line, &count);
    for (int i = 0; fields && i < count; ++i)
        add(file, "arg", fields[i]);
    STARTUPINFOW startup;
    GetStartupInfoW(&startup);
    fprintf(file, "flags=%lu%cshow=%u%c", startup.dwFlags, '\0', startup.wShowWindow, '\0');
    GetCurrentDirectoryW(MAX_PATH, folder);
    add(file, "folder", folder);

    if (fclose(file) != 0)
        return 4;
    return MoveFileExW(partial, finished, MOVEFILE_REPLACE_EXISTING) ? 0 : 5;
}
