#pragma once

#include <QObject>

#include <deque>
#include <functional>
#include <mutex>

namespace tramino
{

// Runs tasks posted from any thread on the user-interface thread, in the order they were posted.
// The tasks travel through our own lock, not inside Qt's queued events: Qt is not built for
// ThreadSanitizer, so a hand-over inside Qt looks like a race to it, and what a task captured
// would be reported as written by one thread and read by another without order.
class CUiTaskQueue : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Any thread. Tasks still queued when the queue is destroyed are dropped.
    void Post(std::function<void()> fnTask);

private:
    // Invoked by name, so that the event Qt queues carries nothing built by our code.
    Q_INVOKABLE void Drain();

    std::mutex m_mutex;
    std::deque<std::function<void()>> m_queTasks; // guarded by m_mutex
    bool m_bWakePending = false;                  // guarded by m_mutex
};

} // namespace tramino
