#include "shell/CTwick32App.h"

#include "dialogs/AboutDlg.h"
#include "shell/CMainFrame.h"
#include "shell/CTwick32Doc.h"
#include "shell/CTwick32View.h"
#include "shell/Commands.h"

using namespace twick;

CTwick32App::CTwick32App(std::string settingsPath) : m_strSettingsPath(std::move(settingsPath)) {}

CTwick32App::~CTwick32App() = default;

void CTwick32App::CreateDocumentAndFrame() {
  m_doc = std::make_unique<CTwick32Doc>(m_strSettingsPath);
  m_frame = std::make_unique<CMainFrame>(*m_doc, m_strSettingsPath);
  connect(m_frame.get(), &CMainFrame::applicationCommand, this, [this](int id) {
    if (id == kCmdAbout) OnAppAbout();
  });
}

void CTwick32App::InitInstance() {
  CreateDocumentAndFrame();
  m_frame->GetActiveView()->OnInitialUpdate();
  m_frame->DragAcceptFiles();
  m_frame->show();
}

int CTwick32App::RunCommandLine(const std::string& path) {
  CreateDocumentAndFrame();
  m_doc->OnOpenDocument(path);
  return m_doc->LastResult().succeeded ? 0 : 1;
}

void CTwick32App::OnAppAbout() {
  CAboutDlg about(m_frame.get());
  about.exec();
}
