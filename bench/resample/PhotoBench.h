#pragma once

#include <string>

namespace tramino::bench
{

// Converting every photo of strDir to 320 x 240 against djpeg's full decode of the same files
// (one process per file), in normal and fast mode. Skips when the folder is absent.
void RunPhotoBench(const std::string& strDir);

// The peak memory of converting strJpeg in a child process (strSelf --convert-one) against
// djpeg's. Skips when the file is absent.
void RunMemoryBench(const std::string& strSelf, const std::string& strJpeg);

// What the child process of the memory measurement does; returns its exit status.
int ConvertOne(const std::string& strPath);

} // namespace tramino::bench
