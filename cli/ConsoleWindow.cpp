#include "cli/ConsoleWindow.h"

#include <unistd.h>

#include <iostream>
#include <string_view>
#include <utility>

#include "cli/ConsoleHabits.h"
#include "core/FileIdentity.h"
#include "core/Messages.h"
#include "core/PathRules.h"

namespace twick::cli {

namespace {
constexpr int kBarWidth = 30;

bool ReadAnswer(std::string& line) {
  if (!std::getline(std::cin, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}
}  // namespace

ConsoleWindow::ConsoleWindow(bool askOnTerminal)
    : ask_(askOnTerminal), barOnTerminal_(isatty(STDERR_FILENO) == 1) {}

ConsoleWindow::~ConsoleWindow() { ClearBar(); }

void ConsoleWindow::SetProgressRange(int low, int high) {
  low_ = low;
  high_ = high > low ? high : low + 1;
}

void ConsoleWindow::SetProgressStep(int step) { step_ = step; }

void ConsoleWindow::SetProgressPos(int pos) {
  pos_ = pos;
  DrawBar();
}

void ConsoleWindow::StepProgress() {
  pos_ += step_;
  if (pos_ > high_) pos_ = low_;  // a full bar wraps, as progress bars do
  DrawBar();
}

void ConsoleWindow::DrawBar() {
  if (!barOnTerminal_) return;
  int filled = (pos_ - low_) * kBarWidth / (high_ - low_);
  if (filled < 0) filled = 0;
  if (filled > kBarWidth) filled = kBarWidth;
  if (filled == drawn_ && barShown_) return;
  drawn_ = filled;
  barShown_ = true;
  std::string bar = "\r[" + std::string(static_cast<size_t>(filled), '#') +
                    std::string(static_cast<size_t>(kBarWidth - filled), '.') + "]";
  std::cerr << bar << std::flush;
}

void ConsoleWindow::ClearBar() {
  if (!barShown_) return;
  std::cerr << "\r" << std::string(kBarWidth + 2, ' ') << "\r" << std::flush;
  barShown_ = false;
  drawn_ = -1;
}

void ConsoleWindow::Print(const std::string& line) {
  if (holding_) {
    held_ += line + '\n';
    return;
  }
  ClearBar();
  std::cerr << line << '\n' << std::flush;
}

void ConsoleWindow::ReleaseHeld() {
  holding_ = false;
  if (held_.empty()) return;
  ClearBar();
  std::cerr << TakeHeld() << std::flush;
}

std::string ConsoleWindow::TakeHeld() {
  holding_ = false;
  std::string held;
  held.swap(held_);
  return held;
}

void ConsoleWindow::SetStatusText(const std::string& text) { Print(text); }

void ConsoleWindow::EnableDone(bool) { ClearBar(); }

void ConsoleWindow::EndDialog(int) { ClearBar(); }

namespace {

/// A message as a listing shows it: what it says about saving a file is said
/// of the section instead.
std::string ListedText(std::string text) {
  static const std::pair<std::string_view, std::string_view> kSwaps[] = {
      {kSavedDamagedText, kListedDamagedText},
      {kSavedIncompleteText, kListedIncompleteText},
      {kSavedUnderSourceNameText, kListedUnderSourceNameText},
  };
  for (const auto& [saved, listed] : kSwaps) {
    if (const size_t at = text.find(saved); at != std::string::npos)
      text.replace(at, saved.size(), listed);
  }
  return text;
}

}  // namespace

void ConsoleWindow::ShowMessage(const std::string& text, const std::string& caption, MessageIcon) {
  // With --rename a taken name is no trouble: the next question picks a free one.
  if (rename_ && (text == kDecodeFileExistsText || text == kEncodeFileExistsText)) return;
  Print((caption.empty() ? std::string(kAppName) : caption) + ' ' +
        (listing_ ? ListedText(text) : text));
}

NameChoice ConsoleWindow::AskOutputName(std::string& path) {
  ReleaseHeld();
  ClearBar();
  if (rename_ && PathExists(path)) {
    path = NumberedFreeName(path);
    return NameChoice::Ok;
  }
  if (!ask_) {
    std::cerr << "Save As... " << path << ": not asked (no terminal); skipped\n";
    return NameChoice::Cancel;
  }
  std::string line;
  for (;;) {
    std::cerr << "Save As...\nOutput file will be saved as...\n  " << path
              << "\nNew path (Enter keeps it): " << std::flush;
    if (!ReadAnswer(line)) return NameChoice::Cancel;
    // A file name ends at a NUL: such an answer would name another file.
    if (line.find('\0') == std::string::npos) break;
    std::cerr << "A file name cannot contain a NUL byte.\n";
  }
  // A relative answer names a file in the output folder.
  std::string chosen = line.empty() ? path : line;
  if (!line.empty() && line.front() != kPathSeparator) chosen = DirectoryOf(path) + line;
  for (;;) {
    std::cerr << "[o] OK   [w] OK (overwrite if exists)   [c] Cancel: " << std::flush;
    if (!ReadAnswer(line)) return NameChoice::Cancel;
    if (line == "o" || line == "O" || line.empty()) {
      path = chosen;
      return NameChoice::Ok;
    }
    if (line == "w" || line == "W") {
      path = chosen;
      return NameChoice::OkOverwrite;
    }
    if (line == "c" || line == "C") return NameChoice::Cancel;
  }
}

}  // namespace twick::cli
