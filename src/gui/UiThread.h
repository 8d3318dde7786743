#pragma once

#include <functional>

namespace tramino
{

// Runs fn on the user-interface thread and returns when it has run: directly when called
// there, otherwise through the event loop, with the calling thread waiting. A worker must not
// call this while the user-interface thread waits for that worker.
void RunOnUiThread(const std::function<void()>& fn);

bool IsUiThread();

} // namespace tramino
