#include "connect/CloudSecret.h"

#include <QByteArray>
#include <QRandomGenerator>

#include <array>

namespace quaro {

namespace {
constexpr qsizetype hiddenLength = 36;
constexpr qsizetype shownTail = 4;
} // namespace

QString CloudSecret::newSecret()
{
    // QRandomGenerator::system() draws from the kernel's secure source.
    std::array<quint32, 8> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    const QByteArray bytes(reinterpret_cast<const char*>(words.data()), sizeof(words));
    return QString::fromLatin1(bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

QString CloudSecret::mcpLink(const QString& base, const QString& secret)
{
    if (secret.isEmpty())
        return {};
    QString root = base;
    while (root.endsWith(QLatin1Char('/')))
        root.chop(1);
    return root + QStringLiteral("/mcp/") + secret;
}

QString CloudSecret::masked(const QString& link)
{
    if (link.isEmpty())
        return {};
    const QString bullets(6, QChar(0x2022));
    if (link.size() < hiddenLength)
        return bullets;
    return link.left(link.size() - hiddenLength) + bullets + link.right(shownTail);
}

} // namespace quaro
