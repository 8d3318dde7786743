#pragma once

#include <string>

namespace tramino
{

// Temporary files beside a target carry their writer's process id, ".<name>.<pid>-XXXXXXXX.tmp",
// and the writer holds a lock on the file while it writes, so that a later writer can tell the
// files of killed runs from those still being written.

// The middle of a temporary name for strName: ".<name>.<pid>-".
std::string TempNamePrefix(const std::string& strName);
// Per system (src/core/platform): locks the open temporary file as its writer's, and removes a
// temporary file whose writer's process is gone unless someone still holds it or it is no
// regular file of this user.
void LockTempFile(int hFile);
void RemoveIfAbandoned(const std::string& strPath);
// Removes the temporary files of strName in strFolder whose writer is gone: its process does not
// exist and nobody holds the file's lock (which also covers a writer whose process id this one
// cannot see, or one whose id was taken by another process). Only files of this user are touched.
void RemoveStaleTempFiles(const std::string& strFolder, const std::string& strName);

} // namespace tramino
