#include "media/FFmpegPtr.h"

#include <mutex>

namespace quaro::media {

void quietFFmpegLog()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_FATAL); });
}

} // namespace quaro::media
