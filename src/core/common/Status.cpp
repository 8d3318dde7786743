#include "common/Status.h"

#include <cerrno>
#include <cstring>

namespace tramino
{

namespace
{

CReason ErrnoReason(const std::string& strPath, int nErrno)
{
    switch (nErrno)
    {
    case ENOENT:
    case ENOTDIR:
        return {EReason::NotThere, strPath, {}};
    case EACCES:
    case EPERM:
    case EROFS:
        return {EReason::NoPermission, strPath, {}};
    case EISDIR:
        return {EReason::NotAFile, strPath, {}};
    case ENOSPC:
#ifdef EDQUOT // a quota is a full disk to its user; not every C library has the number
    case EDQUOT:
#endif
        return {EReason::NoSpace, strPath, {}};
    default:
        return {EReason::SystemError, strPath, {std::strerror(nErrno)}};
    }
}

} // namespace

CStatus ErrnoStatus(const std::string& strWhat, const std::string& strPath, int nErrno)
{
    return CStatus::Error("Cannot " + strWhat + " '" + strPath + "': " + std::strerror(nErrno),
                          ErrnoReason(strPath, nErrno));
}

CStatus RenameStatus(const std::string& strFrom, const std::string& strHow, const std::string& strTo,
                     int nErrno)
{
    // Two files are named, so no one file carries the reason.
    return CStatus::Error("Cannot rename '" + strFrom + "' " + strHow + " '" + strTo +
                          "': " + std::strerror(nErrno));
}

} // namespace tramino
