// The demo's FLImport and FLExport: they convert nothing. Each appends what it was asked to do to
// demo-log.txt beside itself and says that it is a stand-in, so that the demo shows what FamBridge hands a
// converter without needing a real one.

#include <climits>
#include <cstdio>
#include <ctime>
#include <string>

#include <unistd.h>

int main(int argc, char* argv[]) {
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return 2;
    const std::string path(self, static_cast<std::size_t>(length));
    const std::string folder = path.substr(0, path.rfind('/'));
    const std::string name =
        argc > 0 ? std::string(argv[0]).substr(std::string(argv[0]).rfind('/') + 1) : "?";

    std::FILE* log = std::fopen((folder + "/demo-log.txt").c_str(), "a");
    if (!log)
        return 3;
    const std::time_t now = std::time(nullptr);
    char when[32];
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
    std::fprintf(log, "%s  %s (demo stand-in, converts nothing) was asked:", when, name.c_str());
    for (int i = 1; i < argc; ++i)
        std::fprintf(log, " \"%s\"", argv[i]);
    std::fprintf(log, "\n");
    std::fclose(log);
    std::printf("%s is the demo's stand-in: it converts nothing and noted its arguments in %s/demo-log.txt\n",
                name.c_str(), folder.c_str());
    return 0;
}
