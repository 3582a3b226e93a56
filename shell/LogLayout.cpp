#include "shell/LogLayout.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <algorithm>

#include "dialogs/MessageBoxes.h"
#include "shell/CTwick32Doc.h"

namespace twick {

LogLayout LayOutLog(const CTwick32Doc& doc, const QFont& font) {
  const QFontMetrics metrics(font);
  LogLayout log;
  const int h = metrics.height() + metrics.leading();
  log.lineHeight = h;

  // Labels are not measured; the hint counts with the width of the decode
  // hint, whichever is shown.
  int y = kLogMargin;
  int w = 0;
  if (!doc.SourceFile().empty()) {
    const QString source = FromLocal(doc.SourceFile());
    log.lines.push_back({y, kSourceLabel});
    y += h;
    log.lines.push_back({y, source});
    w = metrics.horizontalAdvance(source);
  } else {
    log.lines.push_back({y, doc.GetSettings().dragDrop ? kDropDecodeHint : kDropEncodeHint});
    w = metrics.horizontalAdvance(kDropDecodeHint);
  }

  if (!doc.OutputList().empty()) {
    y += 2 * h;
    log.lines.push_back({y, kOutputLabel});
    const std::vector<std::string>& written = doc.LastResult().written;
    for (const std::string& entry : doc.OutputList()) {
      y += h;
      const QString text = FromLocal(entry);
      // Entries that are not files the job wrote are its failure texts.
      if (std::find(written.begin(), written.end(), entry) != written.end())
        log.savedFiles.push_back({log.lines.size(), entry});
      log.lines.push_back({y, text});
      w = std::max(w, metrics.horizontalAdvance(text));
    }
  }

  log.total = QSize(w + 2 * kLogMargin, y + h + 3);
  // Qt gives no internal leading; it is the cell height less the em size.
  const int internalLeading = metrics.height() - QFontInfo(font).pixelSize();
  log.line = QSize(std::max(1, metrics.averageCharWidth()),
                   std::max(1, metrics.ascent() - internalLeading));
  return log;
}

}  // namespace twick
