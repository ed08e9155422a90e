#include "app/state/InboxFilter.h"

#include "app/common/QtStrings.h"

namespace quaro {

namespace {
const QString statusPrefix = QStringLiteral("status:");
const QString destinoPrefix = QStringLiteral("destino:");
const QString allText = QStringLiteral("all");
} // namespace

QString InboxFilter::text() const
{
    switch (m_kind) {
    case Kind::status:
        return statusPrefix + toQString(rawValue(m_status));
    case Kind::destino:
        return destinoPrefix + toQString(m_destinoID);
    case Kind::all:
        break;
    }
    return allText;
}

QString InboxFilter::title(const std::optional<QString>& destinoName) const
{
    switch (m_kind) {
    case Kind::status:
        switch (m_status) {
        case RecadoStatus::transcrevendo: return QStringLiteral("Transcrevendo");
        case RecadoStatus::pendente: return QStringLiteral("Pendentes");
        case RecadoStatus::pego: return QStringLiteral("Pegos pela IA");
        case RecadoStatus::resolvido: return QStringLiteral("Resolvidos");
        case RecadoStatus::falhou: return QStringLiteral("Com falha");
        }
        break;
    case Kind::destino:
        return destinoName.value_or(QStringLiteral("Destino"));
    case Kind::all:
        break;
    }
    return QStringLiteral("Todos");
}

std::optional<InboxFilter> InboxFilter::fromText(const QString& text)
{
    if (text == allText)
        return all();
    if (text.startsWith(statusPrefix)) {
        const auto status = quaro::recadoStatus(text.mid(statusPrefix.size()).toStdString());
        return status ? std::optional(InboxFilter::status(*status)) : std::nullopt;
    }
    if (text.startsWith(destinoPrefix) && text.size() > destinoPrefix.size())
        return destino(text.mid(destinoPrefix.size()).toStdString());
    return std::nullopt;
}

} // namespace quaro
