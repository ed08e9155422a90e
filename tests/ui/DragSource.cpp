// A small window that, when pressed, drags one URL as a file manager or a
// browser would (text/uri-list over the X drag-and-drop protocol), so the
// desktop roads can drop onto the real inbox with xdotool's pointer.
//
// Usage: ui_drag_source URL X Y
// Shows an 80x80 window titled "drag source" at X,Y; prints "drop: copy"
// or "drop: none" when each drag ends.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

#include <cstdio>
#include <utility>

namespace {

class DragSource : public QWidget {
public:
    explicit DragSource(QUrl url) : m_url(std::move(url)) { }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        auto* drag = new QDrag(this);
        auto* urls = new QMimeData;
        urls->setUrls({m_url});
        drag->setMimeData(urls);
        const Qt::DropAction done = drag->exec(Qt::CopyAction);
        std::printf("drop: %s\n", done == Qt::CopyAction ? "copy" : "none");
        std::fflush(stdout);
    }

private:
    QUrl m_url;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: ui_drag_source URL X Y\n");
        return 2;
    }
    DragSource source(QUrl(QString::fromLocal8Bit(argv[1])));
    source.setWindowTitle(QStringLiteral("drag source"));
    source.setGeometry(QString::fromLocal8Bit(argv[2]).toInt(), QString::fromLocal8Bit(argv[3]).toInt(), 80, 80);
    source.show();
    return app.exec();
}
