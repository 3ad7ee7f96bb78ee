// Starts a program and reports how long it took until the X server mapped its first top-level window and
// until the program had finished drawing into it, and how much memory the program holds once that window
// has settled. Polling tools such as `xdotool search --sync` look only every half second; this waits for
// the server's own events (MapNotify, selected on the root window before the program starts, then Damage
// notifications of every change of the window's contents), so the times are as exact as the clock. Both
// times count: a window whose controls have fixed positions can be mapped before it has loaded a single
// font, and draws only afterwards.
//
// Usage: fambridge_map_timer [--settle-ms N] [--timeout-ms N] program [arguments...]
// Watches the window for the settle time after it is mapped; the last change within it counts as drawn.
// Prints one line of the window's owner:
//   map_ms=... drawn_ms=... rss_kb=<VmRSS> anon_kb=<RssAnon> file_kb=<RssFile> shmem_kb=<RssShmem>
//   hwm_kb=<VmHWM>
// The program and its process group are ended afterwards. Exit status 0 on success, 1 when the program
// ended or timed out before it mapped a window.

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    int settleMs = 1000;
    int timeoutMs = 30000;
    char** program = nullptr;
};

bool parse(int argc, char* argv[], Options& options) {
    int i = 1;
    for (; i + 1 < argc && std::strncmp(argv[i], "--", 2) == 0; i += 2) {
        if (std::strcmp(argv[i], "--settle-ms") == 0)
            options.settleMs = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--timeout-ms") == 0)
            options.timeoutMs = std::atoi(argv[i + 1]);
        else
            return false;
    }
    if (i >= argc)
        return false;
    options.program = argv + i;
    return true;
}

template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

// The pid a window's owner put in _NET_WM_PID, or 0; Qt sets it on every top-level window.
pid_t windowPid(xcb_connection_t* connection, xcb_window_t window) {
    const char name[] = "_NET_WM_PID";
    const Reply<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, sizeof name - 1, name), nullptr),
        &std::free);
    if (!atom || atom->atom == XCB_ATOM_NONE)
        return 0;
    const Reply<xcb_get_property_reply_t> property(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, window, atom->atom, XCB_ATOM_CARDINAL, 0, 1),
                               nullptr),
        &std::free);
    if (!property || xcb_get_property_value_length(property.get()) != 4)
        return 0;
    return pid_t(*static_cast<const std::uint32_t*>(xcb_get_property_value(property.get())));
}

long statusField(pid_t pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    std::string rest;
    long value = -1;
    while (status >> key) {
        if (key == field + ":") {
            status >> value;
            return value;
        }
        std::getline(status, rest);
    }
    return -1;
}

void endGroup(pid_t pid) {
    ::kill(-pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 100 && ::waitpid(pid, &status, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ::kill(-pid, SIGKILL);
    ::waitpid(pid, &status, 0);
}

double millisecondsSince(Clock::time_point start, Clock::time_point now) {
    return std::chrono::duration<double, std::milli>(now - start).count();
}

} // namespace

int main(int argc, char* argv[]) {
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: %s [--settle-ms N] [--timeout-ms N] program [arguments...]\n", argv[0]);
        return 2;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "cannot open the display named by DISPLAY\n");
        return 2;
    }
    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(connection, &xcb_damage_id);
    const Reply<xcb_damage_query_version_reply_t> damageVersion(
        damage && damage->present
            ? xcb_damage_query_version_reply(connection, xcb_damage_query_version(connection, 1, 1), nullptr)
            : nullptr,
        &std::free);
    if (!damageVersion) {
        std::fprintf(stderr, "the display has no Damage extension\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
    // A round trip, so that the selection is in force before the program can map anything.
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A group of its own, so that a wrapper such as strace and the program it runs end together.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = 0;
    const Clock::time_point started = Clock::now();
    const int spawned =
        posix_spawnp(&pid, options.program[0], nullptr, &attributes, options.program, environ);
    posix_spawnattr_destroy(&attributes);
    if (spawned != 0) {
        std::fprintf(stderr, "cannot start %s: %s\n", options.program[0], std::strerror(spawned));
        return 2;
    }

    Clock::time_point deadline = started + std::chrono::milliseconds(options.timeoutMs);
    double mapMs = -1;
    double drawnMs = -1;
    pid_t windowOwner = 0;
    pollfd watch{xcb_get_file_descriptor(connection), POLLIN, 0};
    for (;;) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            std::fprintf(stderr, "%s ended before it had settled\n", options.program[0]);
            return 1;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            if (mapMs >= 0)
                break;
            std::fprintf(stderr, "%s mapped no window within %d ms\n", options.program[0], options.timeoutMs);
            endGroup(pid);
            return 1;
        }
        // Woken at least every 50 ms to notice a program that ended; events wake it at once.
        ::poll(&watch, 1, int(std::min<long>(left.count(), 50)));
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            const Clock::time_point now = Clock::now();
            const int type = event->response_type & 0x7F;
            if (type == XCB_MAP_NOTIFY && mapMs < 0) {
                const auto* mapped = reinterpret_cast<const xcb_map_notify_event_t*>(event);
                // Any window of the program's group counts: a wrapper's child has a pid of its own.
                const pid_t owner = mapped->override_redirect ? 0 : windowPid(connection, mapped->window);
                if (owner != 0 && ::getpgid(owner) == pid) {
                    mapMs = millisecondsSince(started, now);
                    windowOwner = owner;
                    deadline = now + std::chrono::milliseconds(options.settleMs);
                    // The program draws only after it has heard of the mapping, so this comes in time.
                    xcb_damage_create(connection, xcb_generate_id(connection), mapped->window,
                                      XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
                    xcb_flush(connection);
                }
            } else if (type == damage->first_event + XCB_DAMAGE_NOTIFY && mapMs >= 0) {
                drawnMs = millisecondsSince(started, now);
            }
            std::free(event);
        }
        if (xcb_connection_has_error(connection)) {
            std::fprintf(stderr, "the display connection broke\n");
            endGroup(pid);
            return 1;
        }
    }

    // The window's owner, not a wrapper that may have started it.
    std::printf("map_ms=%.2f drawn_ms=%.2f rss_kb=%ld anon_kb=%ld file_kb=%ld shmem_kb=%ld hwm_kb=%ld\n",
                mapMs, drawnMs, statusField(windowOwner, "VmRSS"), statusField(windowOwner, "RssAnon"),
                statusField(windowOwner, "RssFile"), statusField(windowOwner, "RssShmem"),
                statusField(windowOwner, "VmHWM"));
    std::fflush(stdout);
    endGroup(pid);
    xcb_disconnect(connection);
    return 0;
}
