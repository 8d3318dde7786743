#pragma once

#include "common/Status.h"

#include <nlohmann/json.hpp>

#include <atomic>
#include <string>
#include <string_view>

namespace tramino
{

using CProjectJson = nlohmann::ordered_json;

// A project nests three deep and its objects hold a handful of keys; a document far beyond that
// is no project, and is refused while it is parsed, before it costs a deep stack or a slow search.
inline constexpr size_t g_nMaxProjectJsonDepth = 64;
inline constexpr size_t g_nMaxProjectJsonKeys = 64;

// Parses a project's text in one linear pass. Refused, with "line L, column C: reason" (or the
// parser's own "parse error at line ...") as the message: broken JSON, a number no value holds,
// a key given twice in one object, and nesting or objects beyond the limits above. pbStop, when
// set, ends the parse with the message "stopped".
CResult<CProjectJson> ParseProjectJson(std::string_view strText, const std::atomic<bool>* pbStop = nullptr);

// 'str' for a message, cut to its first few dozen bytes (on a character boundary) and the length
// it has, so that a hostile file cannot fill the screen.
std::string QuotedPiece(std::string_view str);

} // namespace tramino
