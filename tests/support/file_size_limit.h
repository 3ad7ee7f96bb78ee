#pragma once

#include <csignal>

#include <sys/resource.h>

namespace fambridge::testing {

// Makes every write past a size fail, as a full disk does, even for root, and restores the limit after.
// Crossing the limit raises SIGXFSZ, which would end the test program instead of failing the write.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) : savedHandler(std::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit limited{bytes, saved.rlim_max};
        active = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, savedHandler);
    }

    void (*savedHandler)(int);
    rlimit saved{};
    bool active = false;
};

} // namespace fambridge::testing
