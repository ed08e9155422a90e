#include "app/capture/SpeechEngine.h"

#include <QMetaObject>
#include <QPointer>

#include <algorithm>

namespace quaro {

Result<std::string, TranscriberError> SpeechEngine::transcribeSamples(std::span<const float>, const std::string&)
{
    return Failure{TranscriberError::recognition("este motor não transcreve trechos")};
}

void SpeechEngine::reportModelProgress(double fraction, Download state)
{
    const double clamped = std::clamp(fraction, 0.0, 1.0);
    const bool downloading = state == Download::running;
    QMetaObject::invokeMethod(
        this,
        [guard = QPointer<SpeechEngine>(this), clamped, downloading] {
            if (guard)
                guard->applyModelProgress(clamped, downloading);
        },
        Qt::AutoConnection);
}

void SpeechEngine::applyModelProgress(double fraction, bool downloading)
{
    if (m_modelProgress != fraction) {
        m_modelProgress = fraction;
        emit modelProgressChanged();
    }
    if (m_downloadingModel != downloading) {
        m_downloadingModel = downloading;
        emit downloadingModelChanged();
    }
}

} // namespace quaro
