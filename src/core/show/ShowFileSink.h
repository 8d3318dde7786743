#pragma once

#include "common/Status.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tramino
{

// Where the show file writer's bytes go. A sink never touches the target until Commit, so a run
// that fails or is abandoned leaves whatever was there before.
class IShowFileSink
{
public:
    virtual ~IShowFileSink() = default;

    // All nSize bytes or an error naming the file and the reason.
    virtual CStatus Write(const uint8_t* pData, size_t nSize) = 0;
    // Makes the bytes durable and puts them under the target name.
    virtual CStatus Commit() = 0;
    // Drops what was written; the target stays as it was. Safe to call more than once.
    virtual void Discard() = 0;
};

// Opens a sink for the target path.
using ShowFileSinkOpener = std::function<CResult<std::unique_ptr<IShowFileSink>>(const std::string& strPath)>;

// The real sink: a CReplacingFile, synced and renamed over the target by Commit.
CResult<std::unique_ptr<IShowFileSink>> OpenReplacingFile(const std::string& strPath);

} // namespace tramino
