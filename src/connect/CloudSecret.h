#pragma once

#include <QString>

namespace quaro {

// The personal link's secret and the two ways the settings show the link.
class CloudSecret {
public:
    // 32 bytes from the system's secure random source in URL-safe Base64
    // without padding: always 43 letters, digits, "-" and "_".
    static QString newSecret();

    // base + "/mcp/" + secret; empty without a secret. A trailing slash of
    // the base is dropped so the path never doubles it.
    static QString mcpLink(const QString& base, const QString& secret);

    // The link with its last 36 characters hidden: everything before them,
    // six bullets, then the link's last 4 characters. Too short a link
    // (none of ours is) shows only the bullets.
    static QString masked(const QString& link);
};

} // namespace quaro
