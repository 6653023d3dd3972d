// Widgets live on Qt's thread; a view called from a worker hands the work over to it.
#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <utility>

namespace ui::qt {

inline bool OnGuiThread() {
  return QCoreApplication::instance() &&
         QThread::currentThread() == QCoreApplication::instance()->thread();
}

// Runs work on Qt's thread: at once when called there, else queued for it, and dropped when
// the context object is gone by then.
template <typename Work>
void RunOnGuiThread(QObject* context, Work work) {
  if (OnGuiThread()) {
    work();
  } else {
    QMetaObject::invokeMethod(context, std::move(work), Qt::QueuedConnection);
  }
}

// Runs work on Qt's thread and waits for its result.
template <typename Work>
auto CallOnGuiThread(Work work) -> decltype(work()) {
  if (OnGuiThread()) return work();
  decltype(work()) result{};
  QMetaObject::invokeMethod(
      QCoreApplication::instance(), [&] { result = work(); }, Qt::BlockingQueuedConnection);
  return result;
}

}  // namespace ui::qt
