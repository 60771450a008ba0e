// A small window that offers the files named on its command line as a drag,
// as a file manager does: press the button in it and move out.
#include <QApplication>
#include <QDrag>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

class Source : public QLabel {
 public:
  explicit Source(QList<QUrl> urls) : QLabel("files"), urls_(std::move(urls)) {
    setWindowTitle("Drag source");
    setAlignment(Qt::AlignCenter);
    resize(160, 100);
  }

 protected:
  void mouseMoveEvent(QMouseEvent* e) override {
    if (!(e->buttons() & Qt::LeftButton)) return;
    auto* drag = new QDrag(this);
    auto* data = new QMimeData;
    data->setUrls(urls_);
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction);
  }

 private:
  QList<QUrl> urls_;
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QList<QUrl> urls;
  for (const QString& path : app.arguments().mid(1)) urls << QUrl::fromLocalFile(path);
  Source source(urls);
  source.move(0, 0);
  source.show();
  return app.exec();
}
