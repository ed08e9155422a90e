#include "Transcriber.h"

namespace quaro {

// Built only while the media library is absent from the tree: files cannot be
// read, PCM can still be transcribed.
AudioDecoder mediaAudioDecoder()
{
    return {};
}

} // namespace quaro
