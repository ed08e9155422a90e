#include "app/common/AppLog.h"

#include <cstdio>

namespace quaro {

void appLog(const QString& context, const QString& description)
{
    const QByteArray line = QStringLiteral("[Quaro] %1: %2\n").arg(context, description).toUtf8();
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    std::fflush(stderr);
}

} // namespace quaro
