#include "app/common/SerialWorker.h"

namespace quaro {

SerialWorker::SerialWorker(QObject* parent) : QObject(parent)
{
    // One thread makes the queue strictly first in, first out: forty dropped
    // voice notes load one speech model, one note at a time.
    m_pool.setMaxThreadCount(1);
}

SerialWorker::~SerialWorker()
{
    m_pool.clear();
    m_pool.waitForDone();
}

} // namespace quaro
