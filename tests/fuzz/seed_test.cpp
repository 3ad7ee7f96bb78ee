#include "settings_probe.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace fambridge::testing {
namespace {

// The fuzzer starts from these files, and every input it ever stopped on is added here: each must keep
// reading and saving as it should in every build, not only while fuzzing.
TEST(SettingsSeeds, EverySeedReadsAndSavesWithoutBreakingTheRoundTrip) {
    const QDir corpus(QStringLiteral(FAMBRIDGE_SEED_CORPUS));
    const QStringList seeds = corpus.entryList(QDir::Files, QDir::Name);
    ASSERT_FALSE(seeds.isEmpty()) << "no seeds in " << FAMBRIDGE_SEED_CORPUS;

    int roundTripped = 0;
    for (const QString& seed : seeds) {
        SCOPED_TRACE(seed.toStdString());
        QFile file(corpus.filePath(seed));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const SettingsProbe probe = probeSettings(file.readAll());
        EXPECT_FALSE(probe.fault.has_value()) << *probe.fault;
        roundTripped += probe.roundTripped ? 1 : 0;
    }
    // Seeds that all stop before the round trip would leave the writer unchecked.
    EXPECT_GE(roundTripped, 4);
}

} // namespace
} // namespace fambridge::testing
