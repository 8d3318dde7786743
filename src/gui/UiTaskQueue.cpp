#include "UiTaskQueue.h"

#include <QMetaObject>

namespace tramino
{

void CUiTaskQueue::Post(std::function<void()> fnTask)
{
    bool bWake = false;
    {
        const std::lock_guard lock(m_mutex);
        m_queTasks.push_back(std::move(fnTask));
        bWake = !m_bWakePending;
        m_bWakePending = true;
    }
    if (bWake)
    {
        QMetaObject::invokeMethod(this, "Drain", Qt::QueuedConnection);
    }
}

void CUiTaskQueue::Drain()
{
    std::deque<std::function<void()>> queTasks;
    {
        const std::lock_guard lock(m_mutex);
        queTasks.swap(m_queTasks);
        m_bWakePending = false;
    }
    // A task may open a modal dialog or even end the window: nothing of this object is touched
    // after the first task runs.
    for (const std::function<void()>& fnTask : queTasks)
    {
        fnTask();
    }
}

} // namespace tramino
