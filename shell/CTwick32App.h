#pragma once
// The application object: makes the document, the main window and its view,
// either to show the window or to run one job on a file named on the
// command line; and it shows the About box.

#include <QObject>
#include <memory>
#include <string>

class CMainFrame;
class CTwick32Doc;

class CTwick32App : public QObject {
  Q_OBJECT
 public:
  /// `settingsPath`: the settings file that the document and the main window
  /// both read.
  explicit CTwick32App(std::string settingsPath);
  ~CTwick32App() override;

  /// Makes the document and the main window, and shows the window ready to
  /// take dropped files.
  void InitInstance();

  /// Runs the job the drop action chooses on `path` without ever showing the
  /// main window. Returns the exit status: 0 when the job succeeded, else 1.
  int RunCommandLine(const std::string& path);

  void OnAppAbout();

  CTwick32Doc* GetDocument() const { return m_doc.get(); }
  CMainFrame* GetMainFrame() const { return m_frame.get(); }

 private:
  void CreateDocumentAndFrame();

  std::string m_strSettingsPath;
  // The frame refers to the document, so it goes first.
  std::unique_ptr<CTwick32Doc> m_doc;
  std::unique_ptr<CMainFrame> m_frame;
};
