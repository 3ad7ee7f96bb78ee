#pragma once

#include <QString>
#include <QtGlobal>

#include <cstring>
#include <optional>
#include <utility>

namespace fambridge {

// The error half of a Result: a sentence the window that started the operation can show as it stands.
struct Failure {
    QString message;
};

// The outcome of an operation that can fail for reasons the user must hear about.
template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Failure failure) : m_error(std::move(failure.message)) {}

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    // Only a success has a value; asking a failure for one is a mistake of the caller's.
    const T& value() const& {
        Q_ASSERT(ok());
        return *m_value;
    }
    T& value() & {
        Q_ASSERT(ok());
        return *m_value;
    }
    T&& value() && {
        Q_ASSERT(ok());
        return std::move(*m_value);
    }
    const T& operator*() const& {
        Q_ASSERT(ok());
        return *m_value;
    }
    const T* operator->() const {
        Q_ASSERT(ok());
        return &*m_value;
    }
    const QString& error() const { return m_error; }
    // The failure as it stands, for a caller that passes it on as its own.
    Failure failure() const {
        Q_ASSERT(!ok());
        return Failure{m_error};
    }

private:
    std::optional<T> m_value;
    QString m_error;
};

template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : m_failed(true), m_error(std::move(failure.message)) {}

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const QString& error() const { return m_error; }
    Failure failure() const {
        Q_ASSERT(!ok());
        return Failure{m_error};
    }

private:
    bool m_failed = false;
    QString m_error;
};

using Status = Result<void>;

// The system's reason for a failed call, in the user's language, to end a Failure's sentence with.
inline QString describeErrno(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace fambridge
