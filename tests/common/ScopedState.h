#pragma once

#include <QByteArray>
#include <QString>

#include <utility>

// Guards for plain process state that tests change: an environment variable and a
// global variable. Each puts back what was there when it ends.
namespace worktide::test {

// A null value unsets the variable for the guard's lifetime.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value) : m_name(name), m_saved(qgetenv(name)) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ScopedEnv(const char* name, const QString& value) : ScopedEnv(name, value.toUtf8()) {}
    ScopedEnv(const char* name, const char* value) : ScopedEnv(name, QByteArray(value)) {}
    ~ScopedEnv() {
        if (m_saved.isNull())
            qunsetenv(m_name);
        else
            qputenv(m_name, m_saved);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    QByteArray m_saved;
};

// Sets variable to value; the test may change it further, the old value comes back at the end.
template <typename T> class ScopedValue {
public:
    ScopedValue(T& variable, T value) : m_variable(variable), m_saved(std::exchange(variable, std::move(value))) {}
    ~ScopedValue() { m_variable = std::move(m_saved); }
    ScopedValue(const ScopedValue&) = delete;
    ScopedValue& operator=(const ScopedValue&) = delete;

private:
    T& m_variable;
    T m_saved;
};

} // namespace worktide::test
