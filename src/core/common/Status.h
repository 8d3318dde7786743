#pragma once

#include <cassert>
#include <optional>
#include <string>
#include <utility>

namespace tramino
{

// Errors travel as values: a text for people that names the file and the reason. A status or
// result dropped unread is a failure gone unreported, hence nodiscard.
class [[nodiscard]] CStatus
{
public:
    CStatus() = default;

    static CStatus Error(std::string strMessage)
    {
        CStatus status;
        status.m_bOk = false;
        status.m_strMessage = std::move(strMessage);
        return status;
    }

    bool IsOk() const { return m_bOk; }
    explicit operator bool() const { return m_bOk; }
    const std::string& Message() const { return m_strMessage; }

private:
    bool m_bOk = true;
    std::string m_strMessage;
};

// "Cannot <strWhat> 'path': <strerror(nErrno)>"
CStatus ErrnoStatus(const std::string& strWhat, const std::string& strPath, int nErrno);

// A value or the reason there is none. A success always carries its value: a result made from a
// success status alone would read as a failure without a reason, so it is refused (and reported
// as the program's own fault where assertions are off).
template <class T> class [[nodiscard]] CResult
{
public:
    CResult(T value) : m_value(std::move(value)) {}
    CResult(CStatus status) : m_status(std::move(status))
    {
        assert(!m_status.IsOk() && "a result needs a value or a failure");
        if (m_status.IsOk())
            m_status = CStatus::Error("internal error: a result without a value");
    }

    bool IsOk() const { return m_value.has_value(); }
    explicit operator bool() const { return IsOk(); }
    const CStatus& Status() const { return m_status; }
    const std::string& Message() const { return m_status.Message(); }

    T& Value() & { return *m_value; }
    const T& Value() const& { return *m_value; }
    T&& Value() && { return std::move(*m_value); }

private:
    std::optional<T> m_value;
    CStatus m_status;
};

} // namespace tramino
