#pragma once

#include <QColor>
#include <QFont>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

namespace quaro {

// The interface's design vocabulary for QML: the warm palette, the type
// scale (sizes in logical pixels), the display face, and the two helpers
// every view shares (a destino's hex colour, a duration as "1:05", a
// status's tone).
// A stateless singleton; main thread.
class Brand : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QColor primary MEMBER m_primary CONSTANT)
    Q_PROPERTY(QColor secondary MEMBER m_secondary CONSTANT)
    Q_PROPERTY(QColor support MEMBER m_support CONSTANT)
    Q_PROPERTY(QColor accent MEMBER m_accent CONSTANT)
    Q_PROPERTY(QColor ink MEMBER m_ink CONSTANT)
    Q_PROPERTY(QColor inkSoft MEMBER m_inkSoft CONSTANT)
    Q_PROPERTY(QColor cream MEMBER m_cream CONSTANT)
    Q_PROPERTY(QColor good MEMBER m_good CONSTANT)
    Q_PROPERTY(QColor systemGrey MEMBER m_systemGrey CONSTANT)
    Q_PROPERTY(QColor systemRed MEMBER m_systemRed CONSTANT)
    Q_PROPERTY(QColor peach MEMBER m_peach CONSTANT)
    Q_PROPERTY(QColor rose MEMBER m_rose CONSTANT)
    Q_PROPERTY(QColor butter MEMBER m_butter CONSTANT)
    Q_PROPERTY(QColor apricot MEMBER m_apricot CONSTANT)
    Q_PROPERTY(int pageTitle MEMBER m_pageTitle CONSTANT)
    Q_PROPERTY(int title MEMBER m_title CONSTANT)
    Q_PROPERTY(int headline MEMBER m_headline CONSTANT)
    Q_PROPERTY(int body MEMBER m_body CONSTANT)
    Q_PROPERTY(int callout MEMBER m_callout CONSTANT)
    Q_PROPERTY(int caption MEMBER m_caption CONSTANT)
    Q_PROPERTY(int label MEMBER m_label CONSTANT)
    // The colours a destino can take, as "#RRGGBB".
    Q_PROPERTY(QStringList destinoSwatches READ destinoSwatches CONSTANT)
    // The registered display family, or empty when the face is missing.
    Q_PROPERTY(QString displayFamily READ displayFamily CONSTANT)
public:
    using QObject::QObject;

    // A destino's stored colour: "#"s trimmed from both ends, then up to 32
    // bits of hexadecimal of which the low 24 are red, green and blue;
    // anything unreadable is the brand orange.
    Q_INVOKABLE static QColor color(const QString& hex);
    Q_INVOKABLE static QString formatDuration(double seconds);
    // The tone of a recado's status tag, by raw status; grey when unknown.
    Q_INVOKABLE QColor statusTone(const QString& status) const;
    static QStringList destinoSwatches();
    // The display face at `pixelSize`; without it, the heaviest system face.
    Q_INVOKABLE static QFont display(int pixelSize);
    static QString displayFamily();

private:
    QColor m_primary{0xFF, 0x6A, 0x1C};
    QColor m_secondary{0xFF, 0xDA, 0x62};
    QColor m_support{0xFF, 0xAE, 0x56};
    QColor m_accent{0xF5, 0x78, 0x8B};
    QColor m_ink{0x16, 0x13, 0x0F};
    QColor m_inkSoft{0x3B, 0x34, 0x2C};
    QColor m_cream{0xFF, 0xF8, 0xEC};
    QColor m_good{0x1F, 0x7A, 0x45};
    QColor m_systemGrey{0x8E, 0x8E, 0x93};
    QColor m_systemRed{0xFF, 0x3B, 0x30};
    QColor m_peach{0xFF, 0xD3, 0xAE};
    QColor m_rose{0xFC, 0xC6, 0xCE};
    QColor m_butter{0xFF, 0xE7, 0xA3};
    QColor m_apricot{0xFF, 0xBE, 0x8A};
    int m_pageTitle = 22;
    int m_title = 24;
    int m_headline = 14;
    int m_body = 15;
    int m_callout = 13;
    int m_caption = 12;
    int m_label = 11;
};

} // namespace quaro
