#pragma once

#include <cassert>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tramino
{

// The kind of a failure a user meets, with the file it concerns and its values, so that a front
// end can word it in its own language; the message beside it stays the English text.
enum class EReason
{
    None,     // worded by the message alone
    NotThere, // the file or folder does not exist
    NoPermission,
    NotAFile,    // a folder, a device ...
    NoSpace,     // the disk is full
    SystemError, // values: the system's reason
    Empty,
    NotAPicture,
    Truncated,
    TooLarge, // values: width, height
    NoPixels,
    Damaged,   // a picture the decoders refuse for another reason
    NotJson,   // a project that is no JSON text
    BadValue,  // values: the place in the project
    NewFormat, // values: the project's format
    NotAShow,  // values: the panel, the byte, the finding
};

struct CReason
{
    EReason m_eKind = EReason::None;
    std::string m_strFile;
    std::vector<std::string> m_vecValues;
};

// Errors travel as values: a text for people that names the file and the reason. A status or
// result dropped unread is a failure gone unreported, hence nodiscard.
class [[nodiscard]] CStatus
{
public:
    CStatus() = default;

    static CStatus Error(std::string strMessage, CReason reason = {})
    {
        CStatus status;
        status.m_bOk = false;
        status.m_strMessage = std::move(strMessage);
        status.m_reason = std::move(reason);
        return status;
    }

    bool IsOk() const { return m_bOk; }
    explicit operator bool() const { return m_bOk; }
    const std::string& Message() const { return m_strMessage; }
    const CReason& Reason() const { return m_reason; }
    // The same failure said with more context: its reason stays.
    CStatus Rephrased(std::string strMessage) const { return Error(std::move(strMessage), m_reason); }

private:
    bool m_bOk = true;
    std::string m_strMessage;
    CReason m_reason;
};

// "Cannot <strWhat> 'path': <strerror(nErrno)>"
CStatus ErrnoStatus(const std::string& strWhat, const std::string& strPath, int nErrno);
// "Cannot rename 'from' <strHow> 'to': <strerror(nErrno)>": two files, which the one file of a
// reason cannot name, so it is said by the message alone.
CStatus RenameStatus(const std::string& strFrom, const std::string& strHow, const std::string& strTo,
                     int nErrno);

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
