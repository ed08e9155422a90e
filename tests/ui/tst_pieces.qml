import QtQuick
import QtTest
import Quaro.Ui

TestCase {
    id: test
    name: "Pieces"
    width: 400
    height: 300
    visible: true
    when: windowShown

    function test_color_data() {
        return [
            { tag: "several on both ends", hex: "##1F7A45###", expected: "#1f7a45" },
            { tag: "empty", hex: "", expected: "#ff6a1c" },
            { tag: "not hexadecimal", hex: "#GGHHII", expected: "#ff6a1c" },
            { tag: "a sign is not a digit", hex: "+1F7A45", expected: "#ff6a1c" },
            { tag: "above 32 bits", hex: "1FFFFFFFFF", expected: "#ff6a1c" },
            { tag: "bits above 24 ignored", hex: "FF1F7A45", expected: "#1f7a45" },
            { tag: "short form not expanded", hex: "#FFF", expected: "#000fff" },
        ]
    }
    function test_color(data) {
        compare(Brand.color(data.hex).toString(), data.expected)
    }

    function test_formatDuration_data() {
        return [
            { tag: "rounded down", seconds: 59.9, expected: "0:59" },
            { tag: "negative", seconds: -3, expected: "0:00" },
            { tag: "a minute", seconds: 65, expected: "1:05" },
            { tag: "past an hour", seconds: 3725, expected: "62:05" },
        ]
    }
    function test_formatDuration(data) {
        compare(Brand.formatDuration(data.seconds), data.expected)
    }
}
