#include "common/InputFile.h"

#include "platform/Platform.h"

#include <cerrno>

namespace tramino
{

CResult<CInputFile> OpenRegularFile(const std::string& strPath, const std::string& strWhat)
{
    const platform::COpenedFile file = platform::OpenForReading(strPath);
    if (file.m_nError != 0)
        return ErrnoStatus(strWhat, strPath, file.m_nError);
    if (file.m_eKind == platform::EFileKind::Directory)
        return ErrnoStatus(strWhat, strPath, EISDIR);
    if (file.m_eKind != platform::EFileKind::Regular)
        return CStatus::Error("Cannot " + strWhat + " '" + strPath + "': not a regular file");
    return CInputFile{file.m_hFile, file.m_nSize};
}

} // namespace tramino
