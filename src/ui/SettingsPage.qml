import QtQuick
import Quaro.Ui
import QtQuick.Controls

// One settings tab: a scrolling column under its title.
ScrollView {
    id: page
    property alias title: heading.title
    property alias subtitle: heading.subtitle
    default property alias content: column.data
    contentWidth: availableWidth
    contentHeight: column.implicitHeight
    clip: true

    Column {
        id: column
        x: 4
        width: page.availableWidth - 28
        topPadding: 28
        bottomPadding: 28
        spacing: 18

        TabTitle {
            id: heading
            width: parent.width
        }
    }
}
