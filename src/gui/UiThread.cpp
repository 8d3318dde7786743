#include "UiThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <future>

namespace tramino
{

bool IsUiThread()
{
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}

void RunOnUiThread(const std::function<void()>& fn)
{
    if (IsUiThread())
    {
        fn();
        return;
    }
    // A promise rather than a blocking queued call: its hand-over is one that ThreadSanitizer
    // sees, so what fn wrote is visibly ordered before the caller goes on.
    std::promise<void> done;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [&fn, &done]
        {
            fn();
            done.set_value();
        },
        Qt::QueuedConnection);
    done.get_future().wait();
}

} // namespace tramino
