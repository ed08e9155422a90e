import QtQuick
import Quaro.Ui
import QtQuick.Layouts

// One recent recado in the panel: its destino's dot, its title, its status.
RowLayout {
    id: row
    required property string title
    required property string status
    required property string statusLabel
    required property string destinoID
    required property string destinoColor
    spacing: 8

    DestinoDot {
        size: 12
        // No destino, or one that no longer exists: the neutral colour.
        color: row.destinoColor ? Brand.color(row.destinoColor) : Brand.support
    }
    Text {
        textFormat: Text.PlainText
        Layout.fillWidth: true
        text: row.title || "Recado"
        elide: Text.ElideRight
        maximumLineCount: 1
        color: Brand.ink
        font.pixelSize: 13
    }
    StatusTag {
        status: row.status
        text: row.statusLabel
    }
}
