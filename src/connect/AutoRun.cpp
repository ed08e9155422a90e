#include "connect/AutoRun.h"

#include <QRegularExpression>

namespace quaro::AutoRun {

QString prompt()
{
    return QStringLiteral(
        "Você é o modo automático do Quaro, a caixa de recados de voz do usuário. Use só as ferramentas do Quaro.\n"
        "1. Chame inbox_list (status pendente, limite 5).\n"
        "2. Para cada recado: chame recado_claim com cliente \"Claude Code · automático\"; faça o que a instrução "
        "do destino pede, usando só a transcrição; grave com recado_resolve um resultado completo e útil, na "
        "língua da fala.\n"
        "3. Se o recado pedir algo que você não consegue fazer só com texto (criar issue, mandar mensagem, mexer "
        "em arquivos), escreva o rascunho pronto no resultado e diga em uma linha o que falta fazer.\n"
        "4. Não invente partes da fala. Termine com uma linha: quantos recados você resolveu.");
}

QString allowedTools()
{
    static const QStringList tools = {QStringLiteral("inbox_list"),     QStringLiteral("recado_get"),
                                      QStringLiteral("recado_claim"),   QStringLiteral("recado_resolve"),
                                      QStringLiteral("destinos_list"), QStringLiteral("search")};
    QStringList names;
    for (const QString& tool : tools)
        names.append(QStringLiteral("mcp__quaro__") + tool);
    return names.join(QLatin1Char(','));
}

QStringList arguments(const QString& claudePath, const QString& configPath)
{
    return {claudePath,
            QStringLiteral("-p"),
            prompt(),
            QStringLiteral("--mcp-config"),
            configPath,
            QStringLiteral("--strict-mcp-config"),
            QStringLiteral("--allowedTools"),
            allowedTools(),
            QStringLiteral("--output-format"),
            QStringLiteral("text")};
}

QString lastLine(const QString& output)
{
    const QStringList lines = output.split(QLatin1Char('\n'));
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        // Spaces, tabs and the carriage return of a CRLF line end.
        const QString line = it->trimmed();
        if (!line.isEmpty())
            return line;
    }
    return {};
}

namespace {

// What the claude command-line client prints when it has no usable login:
// its messages end in "· Please run /login" (or "Run /login …"), or start
// with the reason. Matched per line, case-insensitively, so that an ordinary
// failure that only mentions an author, OAuth or a login shell stays a
// failure.
bool asksForLogin(const QString& output)
{
    // Its own command, "/login", not a web address or a path that ends so.
    static const QRegularExpression command(QStringLiteral("(^|[\\s`'\"(])/login\\b"));
    static const QLatin1String anywhere[] = {QLatin1String("claude auth login"), QLatin1String("not logged in"),
                                             QLatin1String("authentication_error")};
    static const QLatin1String leading[] = {
        QLatin1String("authentication required"), QLatin1String("invalid api key"),
        QLatin1String("invalid auth token"),      QLatin1String("oauth token revoked"),
        QLatin1String("oauth token has expired"), QLatin1String("login expired"),
        QLatin1String("session expired"),
    };
    const QStringList lines = output.toLower().split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        if (line.startsWith(QLatin1String("error:")))
            line = line.mid(6).trimmed();
        if (command.match(line).hasMatch())
            return true;
        for (const QLatin1String& phrase : anywhere) {
            if (line.contains(phrase))
                return true;
        }
        for (const QLatin1String& phrase : leading) {
            if (line.startsWith(phrase))
                return true;
        }
    }
    return false;
}

} // namespace

QString summary(const ProcessResult& result)
{
    if (result.status == 0) {
        const QString line = lastLine(result.output);
        return line.isEmpty() ? QStringLiteral("Pronto.") : line;
    }
    if (asksForLogin(result.output))
        return QStringLiteral("O Claude Code pediu login. Abra o Terminal, rode \"claude\" e entre na sua conta.");
    return QStringLiteral("O Claude Code parou com erro. Veja o registro em Ajustes.");
}

} // namespace quaro::AutoRun
