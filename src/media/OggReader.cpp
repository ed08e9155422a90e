#include "media/OggReader.h"

#include <cstring>
#include <optional>

namespace quaro {

Result<std::vector<std::vector<std::uint8_t>>, OggError> OggReader::packets() const
{
    constexpr std::size_t headerSize = 27;
    const std::size_t size = m_data.size();
    if (size < headerSize)
        return Failure{OggError{}};

    std::vector<std::vector<std::uint8_t>> packets;
    std::optional<std::vector<std::uint8_t>> partial;
    std::optional<std::uint32_t> firstSerial;

    std::size_t p = 0;
    while (p + headerSize <= size) {
        const std::uint8_t* page = m_data.data() + p;
        if (std::memcmp(page, capturePattern, 4) != 0 || page[4] != 0)
            return Failure{OggError{}};
        const std::uint8_t headerType = page[5];
        const std::uint32_t serial = std::uint32_t(page[14]) | std::uint32_t(page[15]) << 8
            | std::uint32_t(page[16]) << 16 | std::uint32_t(page[17]) << 24;
        const std::size_t segments = page[26];
        if (p + headerSize + segments > size)
            return Failure{OggError{}};
        const std::uint8_t* lacing = page + headerSize;
        std::size_t bodyLength = 0;
        for (std::size_t i = 0; i < segments; ++i)
            bodyLength += lacing[i];
        const std::size_t bodyStart = p + headerSize + segments;
        if (bodyStart + bodyLength > size)
            return Failure{OggError{}};

        if (!firstSerial)
            firstSerial = serial;
        if (serial == *firstSerial) {
            if ((headerType & 0x01) == 0)
                partial.reset();
            const std::uint8_t* body = m_data.data() + bodyStart;
            for (std::size_t i = 0; i < segments; ++i) {
                const std::size_t length = lacing[i];
                if (!partial)
                    partial.emplace();
                partial->insert(partial->end(), body, body + length);
                body += length;
                if (length < 255) {
                    packets.push_back(std::move(*partial));
                    partial.reset();
                }
            }
        }
        p = bodyStart + bodyLength;
    }

    if (packets.empty())
        return Failure{OggError{}};
    return packets;
}

} // namespace quaro
