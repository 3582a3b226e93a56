// twick_render_icon: renders the program's SVG icon into a square PNG for the
// icon theme. Build tool only: twick_render_icon SVG SIZE PNG

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: twick_render_icon SVG SIZE PNG\n");
    return 2;
  }
  // No display is needed to draw into an image, nor a session's runtime
  // folder (a build has none).
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir runtime;
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtime.isValid())
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
  QGuiApplication app(argc, argv);

  const int size = std::atoi(argv[2]);
  QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
  if (!svg.isValid() || size <= 0 || size > 4096) {
    std::fprintf(stderr, "twick_render_icon: cannot render %s at %s pixels\n", argv[1], argv[2]);
    return 1;
  }
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    svg.render(&painter);
  }
  if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
    std::fprintf(stderr, "twick_render_icon: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
