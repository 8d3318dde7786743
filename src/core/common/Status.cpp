#include "common/Status.h"

#include <cstring>

namespace tramino
{

CStatus ErrnoStatus(const std::string& strWhat, const std::string& strPath, int nErrno)
{
    return CStatus::Error("Cannot " + strWhat + " '" + strPath + "': " + std::strerror(nErrno));
}

} // namespace tramino
