#include "settings_probe.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// libFuzzer's entry point: any crash, sanitizer report or broken round trip stops the run with the input
// saved as an artifact.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto probe = fambridge::testing::probeSettings(bytes);
    if (probe.fault) {
        std::fprintf(stderr, "settings round trip broken: %s\n", probe.fault->c_str());
        std::abort();
    }
    return 0;
}
