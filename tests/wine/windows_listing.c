// The Windows side of the listing comparison: answers queries about paths the way a Windows program sees
// them, through FindFirstFileW/FindNextFileW and GetFileAttributesW, so that FamBridge's platform layer can
// be held against Wine on the same drives. All queries come in one file and all answers go to another,
// since every start of Wine costs seconds.
//
//   windows_listing <queries> <answers>
//
// Both files are UTF-8, one query or answer a line, fields separated by tabs:
//
//   list <mask> <pattern>   names, as a directory listing with an attribute mask filters them, each
//                           followed by '/' and its short name where Windows made one up
//   attributes <path>       GetFileAttributesW's bits, or "error <code>"
//   set <bits> <path>       SetFileAttributesW, "ok" or "error <code>"
//   cd <path>               SetCurrentDirectoryW, "ok" or "error <code>"
//
// Exit status: 0 answered, 2 wrong arguments, 3 a file could not be read or written.

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

enum { kMaxLine = 8192 };

static FILE* answers;

static void writeText(const wchar_t* text) {
    char utf8[4 * kMaxLine];
    int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, NULL, NULL);
    if (length > 1)
        fwrite(utf8, 1, (size_t)length - 1, answers);
}

static void writeStatus(BOOL ok) {
    if (ok)
        fputs("ok", answers);
    else
        fprintf(answers, "error %lu", GetLastError());
}

// A listing filtered as a directory listing with an attribute mask filters: hidden and system entries
// and volume labels never, folders only when the mask asks for them. A pattern that ends in a separator
// asks for the folder's contents.
static void list(DWORD mask, const wchar_t* pattern) {
    wchar_t full[kMaxLine + 2];
    wcscpy(full, pattern);
    const size_t length = wcslen(full);
    if (length > 0 && (full[length - 1] == L'\\' || full[length - 1] == L'/'))
        wcscat(full, L"*");
    const DWORD refused = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 0x8 /* volume label */ |
                          (mask & FILE_ATTRIBUTE_DIRECTORY ? 0 : FILE_ATTRIBUTE_DIRECTORY);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(full, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    const char* separator = "";
    do {
        if (found.dwFileAttributes & refused)
            continue;
        fputs(separator, answers);
        separator = "\t";
        writeText(found.cFileName);
        if (found.cAlternateFileName[0])
            fputc('/', answers);
        writeText(found.cAlternateFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

int wmain(int argc, wchar_t** argv) {
    if (argc != 3)
        return 2;
    FILE* queries = _wfopen(argv[1], L"rb");
    answers = _wfopen(argv[2], L"wb");
    if (!queries || !answers)
        return 3;

    static char line[4 * kMaxLine];
    static wchar_t wide[kMaxLine];
    while (fgets(line, sizeof line, queries)) {
        line[strcspn(line, "\n")] = '\0';
        if (!MultiByteToWideChar(CP_UTF8, 0, line, -1, wide, kMaxLine))
            wide[0] = L'\0';
        // The query's kind, then up to two fields, each cut off at the tab that ends the one before.
        wchar_t* fields[3] = {wide, NULL, NULL};
        for (int i = 1; i < 3 && (fields[i] = wcschr(fields[i - 1], L'\t')); ++i)
            *fields[i]++ = L'\0';
        const wchar_t* what = fields[0];
        if (!wcscmp(what, L"list") && fields[2]) {
            list((DWORD)wcstoul(fields[1], NULL, 10), fields[2]);
        } else if (!wcscmp(what, L"attributes") && fields[1]) {
            const DWORD attributes = GetFileAttributesW(fields[1]);
            if (attributes == INVALID_FILE_ATTRIBUTES)
                writeStatus(FALSE);
            else
                fprintf(answers, "%lu", attributes);
        } else if (!wcscmp(what, L"set") && fields[2]) {
            writeStatus(SetFileAttributesW(fields[2], (DWORD)wcstoul(fields[1], NULL, 10)));
        } else if (!wcscmp(what, L"cd") && fields[1]) {
            writeStatus(SetCurrentDirectoryW(fields[1]));
        } else {
            fputs("error unknown query", answers);
        }
        fputc('\n', answers);
    }
    fclose(queries);
    return fclose(answers) == 0 ? 0 : 3;
}
