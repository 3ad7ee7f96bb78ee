#pragma once

#include <QDeadlineTimer>
#include <QString>

#include <chrono>
#include <stdexcept>

namespace fambridge::e2e {

// A step of a scenario that cannot go on. Thrown wherever the step is, it ends the scenario at once;
// GoogleTest reports its text as the test's failure and still runs the fixture's clean-up.
class StepFailed : public std::runtime_error {
public:
    explicit StepFailed(const QString& what) : std::runtime_error(what.toStdString()) {}
};

// The time limit of a whole scenario and the shorter one of each waiting step inside it, so that a window
// that never comes fails the scenario with a reason instead of running into ctest's timeout.
class ScenarioTime {
public:
    static constexpr std::chrono::seconds kScenario{40};
    static constexpr std::chrono::seconds kStep{15};

    ScenarioTime() : m_end(kScenario) {}

    QDeadlineTimer step() const {
        const QDeadlineTimer step(kStep);
        return step < m_end ? step : m_end;
    }
    // Why a wait that ran out did so, for the failure message.
    QString whyOutOfTime() const {
        return m_end.hasExpired()
                   ? QStringLiteral("the scenario's limit of %1 s has passed").arg(kScenario.count())
                   : QStringLiteral("%1 s passed").arg(kStep.count());
    }

private:
    QDeadlineTimer m_end;
};

} // namespace fambridge::e2e
