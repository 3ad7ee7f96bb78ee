#pragma once

#include "platform/program_launcher.h"

#include <QStringList>

#include <optional>
#include <vector>

namespace fambridge::testing {

// Starts nothing: records each program it is asked to start, its DOS path first and then its arguments,
// and fails the step a test names with the reason given.
class RecordingStarter : public platform::ProgramStarter {
public:
    Result<platform::PreparedProgram> prepare(const QString& dosProgram,
                                              const QStringList& arguments) override {
        if (failPrepare)
            return Failure{*failPrepare};
        platform::PreparedProgram program;
        program.hostProgram = dosProgram;
        program.hostArguments = arguments;
        return program;
    }
    Result<qint64> start(const platform::PreparedProgram& program) override {
        if (failStart)
            return Failure{*failStart};
        started.push_back(QStringList{program.hostProgram} + program.hostArguments);
        return qint64(started.size());
    }

    std::optional<QString> failPrepare;
    std::optional<QString> failStart;
    std::vector<QStringList> started;
};

} // namespace fambridge::testing
