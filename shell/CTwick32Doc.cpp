#include "shell/CTwick32Doc.h"

#include <QGuiApplication>
#include <QPalette>
#include <QWidget>
#include <algorithm>
#include <utility>

#include "dialogs/DecodeDlg.h"
#include "dialogs/EncodeDlg.h"
#include "dialogs/FileChooser.h"
#include "dialogs/FontChooser.h"
#include "dialogs/FontMapping.h"
#include "dialogs/MessageBoxes.h"
#include "jobs/JobSetup.h"
#include "shell/Commands.h"

using namespace twick;

namespace {

constexpr const char* kDecodeFilters =
    "Encoded (*.mm*;*.b64;*.uu*;*.xx*;*.hqx;*.b2a)|*.MM*;*.B64;*.UU*;*.XX*;*.HQX;*.B2A|"
    "All Files (*.*)|*.*|"
    "Images Files (*.bmp;*.gif;*.jpg;*.pcx)|*.BMP;*.GIF;*.JPG;*.PCX|"
    "Text Doc. (*.txt;*.bat;*.htm*;*.ini;*.inf;*.log)|*.TXT;*.BAT;*.HTM*;*.INI;*.LOG;*.INF||";

constexpr const char* kEncodeFilters =
    "All Files (*.*)|*.*|"
    "Images Files (*.bmp;*.gif;*.jpg;*.pcx)|*.BMP;*.GIF;*.JPG;*.PCX|"
    "Text Doc. (*.txt;*.bat;*.htm*;*.ini;*.inf;*.log)|*.TXT;*.BAT;*.HTM*;*.INI;*.LOG;*.INF|"
    "Encoded (*.mm*;*.b64;*.uu*;*.xx*;*.hqx;*.b2a)|*.MM*;*.B64;*.UU*;*.XX*;*.HQX;*.B2A||";

// Runs a job's dialog modally (the job runs inside it) and takes over the
// list of what the job wrote, leaving the dialog's list empty.
template <class Dialog>
JobResult RunJobDialog(Dialog& dlg, std::vector<std::string>& output, bool& running) {
  running = true;
  dlg.exec();
  running = false;
  output = std::move(dlg.m_job.m_arrOutput);
  dlg.m_job.m_arrOutput.clear();
  return dlg.m_job.m_result;
}

}  // namespace

CTwick32Doc::CTwick32Doc(std::string settingsPath, QObject* parent)
    : QObject(parent), m_strSettingsPath(std::move(settingsPath)) {
  twick::LoadSettings(m_strSettingsPath, m_settings);
  if (!m_settings.color) {
    m_settings.color = RefFromColor(QGuiApplication::palette().color(QPalette::Text));
  }
}

std::optional<QFont> CTwick32Doc::DisplayFont() const {
  if (!m_settings.font) return std::nullopt;
  return FontFromRecord(*m_settings.font);
}

QColor CTwick32Doc::TextColor() const { return ColorFromRef(m_settings.color.value_or(0)); }

bool CTwick32Doc::OnCmdMsg(int id) {
  switch (id) {
    case kCmdDecode: OnFileCommand(true); return true;
    case kCmdEncode: OnFileCommand(false); return true;
    case kCmdFonts: OnFonts(); return true;
    default: return false;
  }
}

void CTwick32Doc::OnFileCommand(bool decode) {
  const QString chosen = ChooseExistingFile(m_pDialogParent, FromLocal(m_settings.workingDir),
                                            decode ? kDecodeFilters : kEncodeFilters);
  if (!chosen.isEmpty()) {
    m_strSource = ToLocal(chosen);
    // The log shows the new source while the job runs.
    m_arrOutput.clear();
    emit updateAllViews();
    if (decode) {
      RunDecodeJob();
    } else {
      RunEncodeJob();
    }
  }
  emit updateAllViews();
}

bool CTwick32Doc::OnOpenDocument(const std::string& path) {
  m_strSource = path;
  if (!m_strSource.empty()) {
    m_arrOutput.clear();
    emit updateAllViews();
    if (m_settings.dragDrop) {
      RunDecodeJob();
    } else {
      RunEncodeJob();
    }
  }
  emit updateAllViews();
  return false;
}

void CTwick32Doc::SetOpenedTogether(std::vector<std::string> paths) {
  m_together = std::move(paths);
  m_partSourcesRead.clear();
  m_yencPartsRead.clear();
}

void CTwick32Doc::RunDecodeJob() {
  CDecodeDlg dlg(m_pDialogParent);
  SetUpDecodeJob(dlg.m_job, m_settings, m_strSource);
  for (const std::string& other : m_together)
    if (other != m_strSource) dlg.m_job.m_otherSources.push_back(other);
  if (!m_together.empty()) dlg.m_job.m_pYEncPartsRead = &m_yencPartsRead;
  dlg.m_job.m_bSourceReadAsParts = std::find(m_partSourcesRead.begin(), m_partSourcesRead.end(),
                                             m_strSource) != m_partSourcesRead.end();
  m_lastResult = RunJobDialog(dlg, m_arrOutput, m_bJobRunning);
  m_partSourcesRead.insert(m_partSourcesRead.end(), dlg.m_job.m_partSourcesRead.begin(),
                           dlg.m_job.m_partSourcesRead.end());
}

void CTwick32Doc::RunEncodeJob() {
  CEncodeDlg dlg(m_pDialogParent);
  SetUpEncodeJob(dlg.m_job, m_settings, m_strSource);
  m_lastResult = RunJobDialog(dlg, m_arrOutput, m_bJobRunning);
}

void CTwick32Doc::Clear() {
  m_strSource.clear();
  m_arrOutput.clear();
  emit updateAllViews();
}

bool CTwick32Doc::SaveSettings(const WindowRect& window) const {
  return twick::SaveSettings(m_strSettingsPath, m_settings, window);
}

void CTwick32Doc::OnFonts() {
  int32_t color = m_settings.color.value_or(0);
  // Without a font of its own the log is drawn in its window's font.
  const QFont logFont =
      m_pDialogParent != nullptr ? m_pDialogParent->font() : QGuiApplication::font();
  if (!ChooseDisplayFont(m_pDialogParent, m_settings.font, color, logFont)) return;
  m_settings.color = color;
  emit updateAllViews();
}
