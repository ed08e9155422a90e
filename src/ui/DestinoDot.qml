import QtQuick
import Quaro.Ui

// A small balloon in a destino's colour.
Balloon {
    property real size: 10
    property color color: Brand.primary
    width: size
    height: size
    radius: 0.45 * size
    tip: 0.12 * size
    fillColor: color
}
