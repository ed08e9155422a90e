import QtQuick
import QtQuick.Controls

// A menu entry whose text comes from the inbox or the sound server (a
// destino's or a microphone's name): drawn as plain text, never read as
// markup, so a name such as "<img src=…>" is shown as written and fetches
// nothing. The stock entry's label guesses at markup.
MenuItem {
    id: item
    contentItem: Text {
        readonly property real arrowPadding: item.subMenu && item.arrow ? item.arrow.width + item.spacing : 0
        readonly property real indicatorPadding: item.checkable && item.indicator ? item.indicator.width + item.spacing : 0
        leftPadding: !item.mirrored ? indicatorPadding : arrowPadding
        rightPadding: item.mirrored ? indicatorPadding : arrowPadding
        text: item.text
        textFormat: Text.PlainText
        font: item.font
        elide: Text.ElideRight
        verticalAlignment: Text.AlignVCenter
        color: item.down || item.highlighted ? item.palette.highlightedText : item.palette.text
    }
}
