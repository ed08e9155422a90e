import QtQuick
import Quaro.Ui

// One whisper model in Ajustes › Gravação: what it costs and gives, and the
// step it allows (download with progress and cancel, use, delete).
SettingRow {
    id: modelRow
    required property var catalogue
    required property string modelId
    required property string label
    required property string size
    required property string memory
    required property string hint
    required property bool present
    required property bool chosen

    readonly property bool downloading: catalogue.downloading === modelId

    objectName: "model-" + modelId
    title: label + (chosen ? " · em uso" : "")
    detail: hint + "\n" + size + " para baixar · " + memory

    Rectangle {
        objectName: "modelProgress"
        visible: modelRow.downloading
        anchors.verticalCenter: parent.verticalCenter
        width: 90
        height: 8
        radius: 4
        color: Qt.rgba(0, 0, 0, 0.1)
        Rectangle {
            width: parent.width * modelRow.catalogue.progress
            height: parent.height
            radius: 4
            color: Brand.primary
        }
    }
    InkButtonStyle {
        objectName: "modelCancel"
        visible: modelRow.downloading
        fill: Brand.cream
        text: "Cancelar"
        onClicked: modelRow.catalogue.cancel()
    }
    InkButtonStyle {
        objectName: "modelDownload"
        visible: !modelRow.present && !modelRow.downloading
        enabled: modelRow.catalogue.downloading === ""
        fill: Brand.cream
        text: "Baixar"
        onClicked: modelRow.catalogue.download(modelRow.modelId)
    }
    InkButtonStyle {
        objectName: "modelUse"
        visible: modelRow.present && !modelRow.chosen
        text: "Usar"
        onClicked: modelRow.catalogue.choose(modelRow.modelId)
    }
    InkButtonStyle {
        objectName: "modelDelete"
        visible: modelRow.present && !modelRow.chosen
        fill: Brand.cream
        text: "Apagar"
        onClicked: modelRow.catalogue.remove(modelRow.modelId)
    }
}
