#include "dialogs/HelpDlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QImage>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace twick {

namespace {

// The pictures of the page may not be installed; a missing one takes no room
// instead of showing a broken-image sign.
class HelpBrowser : public QTextBrowser {
 public:
  using QTextBrowser::QTextBrowser;

  QVariant loadResource(int type, const QUrl& name) override {
    QVariant resource = QTextBrowser::loadResource(type, name);
    if (type == QTextDocument::ImageResource && !resource.isValid()) {
      QImage blank(1, 1, QImage::Format_ARGB32);
      blank.fill(Qt::transparent);
      return blank;
    }
    return resource;
  }
};

}  // namespace

CHelpDlg::CHelpDlg(QWidget* parent) : QDialog(parent), m_browser(new HelpBrowser(this)) {
  setWindowTitle("Tarnwick32 Help");
  setObjectName("helpDialog");
  setModal(false);
  m_browser->setObjectName("helpBrowser");
  m_browser->setOpenExternalLinks(true);

  auto* contents = new QPushButton("&Contents", this);
  auto* back = new QPushButton("&Back", this);
  auto* forward = new QPushButton("&Forward", this);
  contents->setObjectName("helpContents");
  back->setObjectName("helpBack");
  forward->setObjectName("helpForward");
  back->setEnabled(false);
  forward->setEnabled(false);
  for (QPushButton* b : {contents, back, forward}) b->setAutoDefault(false);
  connect(contents, &QPushButton::clicked, m_browser, &QTextBrowser::home);
  connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
  connect(forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
  connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
  connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);

  auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(contents);
  buttons->addWidget(back);
  buttons->addWidget(forward);
  buttons->addStretch();
  buttons->addWidget(close);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_browser);
  layout->addLayout(buttons);
  resize(760, 600);
}

void CHelpDlg::ShowPage(const QString& path) {
  const QUrl page = QUrl::fromLocalFile(path);
  m_browser->clearHistory();
  if (m_browser->source() == page) {
    m_browser->reload();  // the file may have changed since
  } else {
    m_browser->setSource(page);
  }
  m_browser->clearHistory();
  m_browser->moveCursor(QTextCursor::Start);
  m_browser->verticalScrollBar()->setValue(0);
  m_browser->horizontalScrollBar()->setValue(0);
}

}  // namespace twick
