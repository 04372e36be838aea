#pragma once

#include <QByteArray>
#include <QtGlobal>

// Sets or clears an environment variable for the life of the object, then puts back what was there.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value) : ScopedEnv(name) { qputenv(m_name, value); }
    static ScopedEnv Unset(const char* name) {
        ScopedEnv env(name);
        qunsetenv(name);
        return env;
    }
    ~ScopedEnv() {
        if (!m_name)
            return;
        if (m_wasSet)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    ScopedEnv(ScopedEnv&& other) noexcept
        : m_name(other.m_name), m_wasSet(other.m_wasSet), m_old(other.m_old) {
        other.m_name = nullptr;
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
    ScopedEnv& operator=(ScopedEnv&&) = delete;

private:
    explicit ScopedEnv(const char* name)
        : m_name(name), m_wasSet(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {}

    const char* m_name;
    bool m_wasSet;
    QByteArray m_old;
};
