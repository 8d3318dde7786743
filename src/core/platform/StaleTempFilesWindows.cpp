// Stale temporary files on Windows: a file still open by its writer cannot be removed by another
// process, so the removal itself is the lock's check.
#include "common/StaleTempFiles.h"
#include "platform/Platform.h"

namespace tramino
{

void LockTempFile(int /*hFile*/)
{
    // The open handle already keeps other processes from removing the file.
}

void RemoveIfAbandoned(const std::string& strPath)
{
    if (platform::StatusOf(strPath, false).m_eKind == platform::EFileKind::Regular)
        (void)platform::RemoveFile(strPath);
}

} // namespace tramino
