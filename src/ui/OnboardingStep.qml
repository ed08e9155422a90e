import QtQuick
import Quaro.Ui

// The common shape of an onboarding step: a display title, a line of text,
// then the step's own content.
Column {
    property alias title: heading.text
    property alias text: lead.text
    default property alias content: body.data
    spacing: 18

    DisplayText {
        id: heading
        objectName: "stepTitle"
        width: parent.width
        size: 30
        wrapMode: Text.WordWrap
    }
    Text {
        textFormat: Text.PlainText
        id: lead
        width: parent.width
        color: Brand.inkSoft
        font.pixelSize: Brand.body
        wrapMode: Text.WordWrap
    }
    Column {
        id: body
        width: parent.width
        spacing: 12
    }
}
