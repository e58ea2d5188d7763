// A drag source for the drop test: a small window that, when the mouse is
// pressed in it, starts a real drag (XDND) of the files named on its command
// line, or of plain text with --text. Prints the drop's result, stays a few
// seconds to hand the data over, and ends.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <cstdio>

namespace {

class Source : public QWidget {
public:
    explicit Source(QMimeData* (*make)()) : make_(make) {}
protected:
    void mousePressEvent(QMouseEvent*) override
    {
        auto* drag = new QDrag(this);
        drag->setMimeData(make_());
        const Qt::DropAction result = drag->exec(Qt::CopyAction);
        std::printf("drop result %d\n", int(result));
        std::fflush(stdout);
        // exec() returns at the drop, before the target has fetched the
        // data from us: stay to hand it over, then end.
        QTimer::singleShot(3000, qApp, &QApplication::quit);
    }
private:
    QMimeData* (*make_)();
};

QStringList items;
bool asText = false;

QMimeData* makeData()
{
    auto* data = new QMimeData;
    if (asText) {
        data->setText(items.join(u' '));
        return data;
    }
    QList<QUrl> urls;
    for (const QString& item : items)
        urls << QUrl::fromLocalFile(item);
    data->setUrls(urls);
    return data;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    items = app.arguments().mid(1);
    if (!items.isEmpty() && items.first() == QLatin1String("--text")) {
        asText = true;
        items.removeFirst();
    }
    Source window(&makeData);
    window.setWindowTitle(QStringLiteral("plomet-drag-source"));
    window.setGeometry(20, 600, 120, 120);
    window.show();
    return app.exec();
}
