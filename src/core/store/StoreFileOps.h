#pragma once

#include <string>

namespace tramino
{

// The two file operations the picture store changes its folder with. They go through this
// class so that tests can make one of them fail at a chosen moment.
class CStoreFileOps
{
public:
    virtual ~CStoreFileOps() = default;

    // Each returns 0 on success or the errno value of the failure.
    virtual int Rename(const std::string& strFrom, const std::string& strTo);
    virtual int RemoveFile(const std::string& strPath);
};

} // namespace tramino
