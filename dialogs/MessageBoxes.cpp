#include "dialogs/MessageBoxes.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>

namespace twick {

namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Stop: return QMessageBox::Critical;
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

void ShowMessageBox(QWidget* parent, const QString& text, const QString& caption,
                    MessageIcon icon) {
  QMessageBox box(BoxIcon(icon), caption.isEmpty() ? QString(kAppName) : caption, text,
                  QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  box.setObjectName("messageBox");
  QApplication::setOverrideCursor(Qt::ArrowCursor);
  box.exec();
  QApplication::restoreOverrideCursor();
}

QString FromLocal(const std::string& text) {
  return QFile::decodeName(QByteArray(text.data(), static_cast<qsizetype>(text.size())));
}

std::string ToLocal(const QString& text) {
  QByteArray bytes = QFile::encodeName(text);
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace twick
