#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QThreadPool>

#include <functional>
#include <memory>

namespace quaro {

// Runs jobs one at a time, first in first out, on a thread of its own, and
// hands each result back to the thread that owns this object. Used from the
// main thread. Destroying it drops the jobs that have not started and waits
// for the one running; results not yet delivered are dropped with it.
class SerialWorker : public QObject {
    Q_OBJECT
public:
    explicit SerialWorker(QObject* parent = nullptr);
    ~SerialWorker() override;

    // `work` runs on the worker thread; `done` receives its value later on
    // the owning thread, in submission order.
    template <typename T>
    void run(std::function<T()> work, std::function<void(T)> done)
    {
        ++m_outstanding;
        m_pool.start([this, work = std::move(work), done = std::move(done)]() mutable {
            auto value = std::make_shared<T>(work());
            QMetaObject::invokeMethod(
                this,
                [guard = QPointer<SerialWorker>(this), done = std::move(done), value] {
                    if (!guard)
                        return;
                    --guard->m_outstanding;
                    done(std::move(*value));
                },
                Qt::QueuedConnection);
        });
    }

    // Jobs submitted whose results have not been delivered yet.
    int outstanding() const { return m_outstanding; }

private:
    QThreadPool m_pool;
    int m_outstanding = 0;
};

} // namespace quaro
