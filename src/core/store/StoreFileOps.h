#pragma once

#include "common/Status.h"

#include <string>

namespace tramino
{

// What a rename found at its source.
enum class ERenamed
{
    Moved,
    NoSource,
};

// The two file operations the picture store changes its folder with. They go through this
// class so that tests can make one of them fail at a chosen moment. Failures name the files and
// the reason.
class CStoreFileOps
{
public:
    virtual ~CStoreFileOps() = default;

    // Moves strFrom over strTo. No file at strFrom is no failure: the store moves the absence of
    // a picture along with its position.
    virtual CResult<ERenamed> Rename(const std::string& strFrom, const std::string& strTo);
    // A file that is already gone is no failure.
    virtual CStatus RemoveFile(const std::string& strPath);
};

} // namespace tramino
