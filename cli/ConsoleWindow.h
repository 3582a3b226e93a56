#pragma once
// The job window of the console front end: messages go to stderr as
// "<caption> <text>", a progress bar is drawn on stderr when it is a
// terminal, and the output-name question is asked on the terminal (or
// answered as cancel when nobody can answer it).

#include <cstdio>
#include <string>

#include "core/JobWindow.h"

namespace twick::cli {

class ConsoleWindow : public JobWindow {
 public:
  /// `askOnTerminal`: ask the output-name question on stdin/stderr. When
  /// false every question is answered as cancel.
  explicit ConsoleWindow(bool askOnTerminal);
  ~ConsoleWindow() override;

  void SetProgressRange(int low, int high) override;
  void SetProgressStep(int step) override;
  void SetProgressPos(int pos) override;
  void StepProgress() override;
  void SetStatusText(const std::string& text) override;
  void EnableDone(bool enable) override;
  void EndDialog(int result) override;
  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
  void BeginWaitCursor() override {}
  void EndWaitCursor() override {}
  NameChoice AskOutputName(std::string& path) override;
  /// --rename: a taken output name is answered with a numbered free one.
  void SetRenameFree(bool rename) { rename_ = rename; }
  /// --list: nothing is written, and messages do not say a file was saved.
  void SetListing(bool listing) { listing_ = listing; }

  /// Keeps the messages and status lines from now on instead of printing
  /// them, until a question is asked (they are printed first) or they are
  /// released or taken.
  void HoldMessages() { holding_ = true; }
  /// Prints the kept lines and stops keeping them.
  void ReleaseHeld();
  /// The kept lines, as they would have been printed; stops keeping them.
  std::string TakeHeld();

 private:
  void DrawBar();
  void ClearBar();
  void Print(const std::string& line);

  bool ask_;
  bool rename_ = false;
  bool listing_ = false;
  bool holding_ = false;
  std::string held_;
  bool barOnTerminal_;
  bool barShown_ = false;
  int low_ = 0;
  int high_ = kProgressEnd;
  int step_ = 1;
  int pos_ = 0;
  int drawn_ = -1;
};

}  // namespace twick::cli
