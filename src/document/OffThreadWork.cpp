#include "document/OffThreadWork.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <exception>
#include <thread>

namespace clipvane {

namespace {
constexpr int kWorkerNice = 5;
}  // namespace

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
        // A little behind the user-interface thread when the processors are
        // all busy, so that it still repaints and answers at once; the
        // threads an effect starts from here inherit this.
        setpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)), getpriority(PRIO_PROCESS, 0) + kWorkerNice);
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
