#include "ui/Brand.h"

#include "app/state/DestinoPalette.h"
#include "app/state/FormatDuration.h"
#include "app/windows/BrandFonts.h"
#include "core/RecadoStatus.h"

#include <cstdint>
#include <optional>

namespace quaro {

namespace {

constexpr std::uint32_t fallbackColor = 0xFF6A1C;

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// An unsigned 32-bit number in radix 16, digits only: no sign, no "0x".
std::optional<std::uint32_t> parseHex(QStringView text)
{
    if (text.isEmpty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (QChar c : text) {
        const int digit = hexDigit(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + std::uint64_t(digit);
        if (value > 0xFFFFFFFFu)
            return std::nullopt;
    }
    return std::uint32_t(value);
}

} // namespace

QColor Brand::color(const QString& hex)
{
    QStringView text(hex);
    while (text.startsWith(u'#'))
        text = text.mid(1);
    while (text.endsWith(u'#'))
        text.chop(1);
    const std::uint32_t v = parseHex(text).value_or(fallbackColor);
    return QColor(int((v >> 16) & 255), int((v >> 8) & 255), int(v & 255));
}

QString Brand::formatDuration(double seconds) { return quaro::formatDuration(seconds); }

QColor Brand::statusTone(const QString& status) const
{
    switch (recadoStatus(status.toStdString()).value_or(RecadoStatus::transcrevendo)) {
    case RecadoStatus::transcrevendo: break;
    case RecadoStatus::pendente: return m_primary;
    case RecadoStatus::pego: return m_support;
    case RecadoStatus::resolvido: return m_good;
    case RecadoStatus::falhou: return m_systemRed;
    }
    return m_systemGrey;
}

QStringList Brand::destinoSwatches()
{
    QStringList swatches;
    for (std::string_view hex : destinoPalette)
        swatches << QString::fromLatin1(hex.data(), qsizetype(hex.size()));
    return swatches;
}

QFont Brand::display(int pixelSize)
{
    QFont font;
    const QString family = displayFamily();
    if (!family.isEmpty())
        font.setFamily(family);
    else
        font.setWeight(QFont::Black);
    font.setPixelSize(pixelSize);
    return font;
}

QString Brand::displayFamily() { return BrandFonts::displayFamily(); }

} // namespace quaro
