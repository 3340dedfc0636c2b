#include "document/OffThreadWork.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

#include <exception>
#include <thread>

namespace clipvane {

void RunOffThread(const std::function<void()>& work, WorkProgress* progress) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread()) {
        work();
        return;
    }
    QEventLoop loop;
    std::atomic<bool> done{false};
    std::exception_ptr error;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
        done.store(true);
        // Queued: the loop may not have started yet, and it lives on the
        // calling thread.
        QMetaObject::invokeMethod(
            &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec();
    // Left early: the program is exiting. The work stops at its next row
    // (a save runs to its end) and is waited for.
    if (!done.load() && progress) progress->Cancel();
    worker.join();
    if (error) std::rethrow_exception(error);
}

}  // namespace clipvane
