#pragma once
// The port between a job and the window it runs in. The Qt progress dialogs,
// the console front end and the tests' scripted fake each implement it; the
// engine never talks to the user any other way.

#include <string>

#include "core/Messages.h"

namespace twick {

enum class MessageIcon { None, Stop, Exclamation, Information };

/// How the output-name question ended.
enum class NameChoice {
  Cancel,       // the user cancelled: skip this output
  Ok,           // use the path, but never replace an existing file unasked
  OkOverwrite,  // use the path and replace an existing file
};

/// Result a job gives when it closes its window itself.
constexpr int kDialogOk = 1;

/// Every job's progress bar runs from 0 to this position in steps of 1.
constexpr int kProgressEnd = 29;

class JobWindow {
 public:
  virtual ~JobWindow() = default;

  // Progress bar; each call must show promptly (the desktop windows apply
  // calls from a worker thread in batches, the console at once).
  virtual void SetProgressRange(int low, int high) = 0;
  virtual void SetProgressStep(int step) = 0;
  virtual void SetProgressPos(int pos) = 0;
  virtual void StepProgress() = 0;

  /// The status text above the progress bar.
  virtual void SetStatusText(const std::string& text) = 0;
  virtual void EnableDone(bool enable) = 0;
  /// Closes the window with the given result (the job's "OK").
  virtual void EndDialog(int result) = 0;

  /// Shows a message box with an OK button and waits for it; an empty
  /// caption means the application's name (kAppName). Decoders and encoders
  /// call it with the wait cursor shown (their "File Error:" boxes); a window
  /// shows its own arrow cursor over the box.
  virtual void ShowMessage(const std::string& text, const std::string& caption,
                           MessageIcon icon) = 0;

  /// The wait cursor; calls nest. A job shows it while it reads and writes
  /// and hides it before every output-name question and the message that
  /// leads to one, so the user answers with an ordinary cursor.
  virtual void BeginWaitCursor() = 0;
  virtual void EndWaitCursor() = 0;

  /// Asks for the output path, proposing `path`. On Ok or OkOverwrite `path`
  /// holds the path to use. Never called with the wait cursor shown.
  virtual NameChoice AskOutputName(std::string& path) = 0;

  /// True once the user has asked to stop the job. Jobs ask between steps
  /// (a block read, a section); a window without a stop control never asks.
  virtual bool CancelRequested() { return false; }
};

}  // namespace twick
