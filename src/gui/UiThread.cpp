#include "UiThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

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
    QMetaObject::invokeMethod(QCoreApplication::instance(), fn, Qt::BlockingQueuedConnection);
}

} // namespace tramino
