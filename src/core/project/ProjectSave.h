#pragma once

#include "common/Status.h"
#include "project/Project.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tramino
{

// A digest of a project file's bytes as read or written, so that a later save can tell that
// another program changed the file meanwhile; empty when it cannot be read.
std::optional<uint64_t> ProjectFileDigest(const std::string& strPath);

// Writes the project to strPath with the file locked while it is replaced, as
// `tramino-cli project add` locks it, so that neither loses the other's change.
CStatus SaveProjectLocked(const CProject& project, const std::string& strPath);

// The path made absolute, kept relative to the project's folder when it is saved.
CProjectPath ProjectRelativePath(const std::string& strPath);

} // namespace tramino
