#include "dialogs/AboutDlg.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/Pictures.h"

namespace {

constexpr const char* kAssistance =
    "If you need any assistance or have any comments, feel free to e-mail the author.";
constexpr const char* kDisclaimer =
    "This program is provided as is, without warranty of any kind. The author "
    "accepts no liability for lost data or any other damage that may result "
    "from its use. Use it at your own risk.";
constexpr const char* kAddresses =
    "E-Mail:\tjon.hallory@example.org\n"
    "Homepage:\thttps://www.example.org/tarnwick32/\n"
    "\thttps://tarnwick32.example.com/";

QLabel* PlainLabel(const QString& text, const char* name, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);
  label->setObjectName(name);
  return label;
}

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  setObjectName("aboutDialog");
  setWindowTitle("About Tarnwick32");

  // Without a title bar the box draws its own raised frame.
  auto* frame = new QFrame(this);
  frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
  frame->setLineWidth(2);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(frame);

  auto* icon = new QLabel(frame);
  icon->setObjectName("icon");
  icon->setPixmap(twick::ProgramIcon().pixmap(QSize(48, 48), devicePixelRatioF()));
  icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

  QLabel* title = PlainLabel("Tarnwick32  v3.5", "title", frame);
  QFont big = title->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.4);
  title->setFont(big);
  QLabel* subtitle = PlainLabel("Mail file encoder, decoder and converter", "subtitle", frame);
  QLabel* author = PlainLabel("Written by The Tarnwick32 developers", "author", frame);
  QLabel* released = PlainLabel("Released on 12 March 2025", "released", frame);
  QLabel* assistance = PlainLabel(kAssistance, "assistance", frame);
  assistance->setWordWrap(true);
  QLabel* disclaimer = PlainLabel(kDisclaimer, "disclaimer", frame);
  disclaimer->setWordWrap(true);

  m_editAddresses = new QPlainTextEdit(frame);
  m_editAddresses->setObjectName("editAddresses");
  m_editAddresses->setReadOnly(true);
  m_editAddresses->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                           Qt::TextSelectableByKeyboard);
  m_editAddresses->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_editAddresses->setTabStopDistance(fontMetrics().horizontalAdvance("Homepage:") +
                                      fontMetrics().averageCharWidth() * 2);
  m_editAddresses->setTabChangesFocus(true);

  auto* ok = new QPushButton("OK", frame);
  ok->setObjectName("buttonOk");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* heading = new QVBoxLayout;
  heading->addWidget(title);
  heading->addWidget(subtitle);
  heading->addSpacing(6);
  heading->addWidget(author);
  heading->addWidget(released);
  auto* top = new QHBoxLayout;
  top->addWidget(icon);
  top->addSpacing(8);
  top->addLayout(heading, 1);

  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(ok);

  auto* layout = new QVBoxLayout(frame);
  layout->setContentsMargins(14, 14, 14, 12);
  layout->addLayout(top);
  layout->addSpacing(8);
  layout->addWidget(assistance);
  layout->addWidget(m_editAddresses);
  layout->addWidget(disclaimer);
  layout->addLayout(bottom);

  m_strAddresses = kAddresses;
  m_editAddresses->setPlainText(m_strAddresses);
  // Three lines without scrolling.
  QFontMetrics metrics(m_editAddresses->font());
  m_editAddresses->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_editAddresses->setFixedHeight(
      metrics.lineSpacing() * 3 +
      2 * (m_editAddresses->frameWidth() + qRound(m_editAddresses->document()->documentMargin())) +
      2);
  setFixedWidth(metrics.averageCharWidth() * 62);
  ok->setFocus();
}
