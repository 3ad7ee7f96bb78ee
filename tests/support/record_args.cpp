// Stands in for a converter program that FamBridge starts. It is given no argument it could use to choose
// where to report, so it writes beside itself: <its own path>.out holds every argument and the prefix
// variables it saw, each as a key and a value ended by NUL bytes, which no argument can contain, so the
// record is exact.

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace {

void addRecord(std::string& records, const std::string& key, const char* value) {
    records += key;
    records += '\0';
    records += value;
    records += '\0';
}

} // namespace

int main(int argc, char* argv[]) {
    // argv[0] may be a bare or relative name; the kernel's link names the file actually started.
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return 2;
    const std::string path(self, static_cast<std::size_t>(length));

    std::string records;
    for (int i = 1; i < argc; ++i)
        addRecord(records, "arg", argv[i]);
    char folder[PATH_MAX];
    if (::getcwd(folder, sizeof folder))
        addRecord(records, "cwd", folder);
    for (const char* name : {"WINEPREFIX", "FAMBRIDGE_PREFIX"}) {
        if (const char* value = std::getenv(name))
            addRecord(records, name, value);
    }

    // Written under another name and renamed, so that a reader polling for the record never sees half of it.
    const std::string partial = path + ".partial";
    std::FILE* file = std::fopen(partial.c_str(), "wb");
    if (!file)
        return 3;
    const bool written = std::fwrite(records.data(), 1, records.size(), file) == records.size();
    if (std::fclose(file) != 0 || !written)
        return 4;
    return std::rename(partial.c_str(), (path + ".out").c_str()) == 0 ? 0 : 5;
}
