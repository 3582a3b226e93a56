#pragma once
// A scripted JobWindow that records every call, for job tests.

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "core/JobWindow.h"

namespace twick::test {

struct Message {
  std::string text;
  std::string caption;
  MessageIcon icon;
};

class FakeWindow : public JobWindow {
 public:
  void SetProgressRange(int low, int high) override {
    calls.push_back("range " + std::to_string(low) + " " + std::to_string(high));
  }
  void SetProgressStep(int step) override { calls.push_back("step " + std::to_string(step)); }
  void SetProgressPos(int pos) override {
    position = pos;
    calls.push_back("pos " + std::to_string(pos));
  }
  void StepProgress() override {
    ++steps;
    ++position;
  }
  void SetStatusText(const std::string& text) override {
    status = text;
    calls.push_back("status " + text);
  }
  void EnableDone(bool enable) override {
    doneEnabled = enable;
    calls.push_back(enable ? "done on" : "done off");
  }
  void EndDialog(int result) override {
    ended = true;
    endResult = result;
    calls.push_back("end " + std::to_string(result));
  }
  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override {
    messages.push_back({text, caption, icon});
    calls.push_back("message " + caption + "|" + text);
  }
  void BeginWaitCursor() override { ++waitDepth; }
  void EndWaitCursor() override { --waitDepth; }

  /// Answers from `answers` in order; Cancel when the script has run out.
  NameChoice AskOutputName(std::string& path) override {
    asked.push_back(path);
    if (waitDepth > 0) ++askedUnderWaitCursor;
    calls.push_back("ask " + path);
    if (answers.empty()) return NameChoice::Cancel;
    auto [choice, newPath] = answers.front();
    answers.pop_front();
    if (!newPath.empty()) path = newPath;
    return choice;
  }

  /// Queues an answer; an empty path keeps the proposed one.
  void Answer(NameChoice choice, std::string path = {}) {
    answers.emplace_back(choice, std::move(path));
  }

  std::vector<std::string> calls;
  std::vector<Message> messages;
  std::vector<std::string> asked;
  std::deque<std::pair<NameChoice, std::string>> answers;
  std::string status;
  int position = -1;
  int steps = 0;
  int waitDepth = 0;
  int askedUnderWaitCursor = 0;
  bool doneEnabled = false;
  bool ended = false;
  int endResult = 0;
};

/// Asks to stop at its `stopAt`-th stop check (1 = the first; 0 = never).
class StoppingWindow : public FakeWindow {
 public:
  explicit StoppingWindow(int stopAt) : stopAt_(stopAt) {}
  bool CancelRequested() override { return ++checks == stopAt_; }
  int checks = 0;

 private:
  int stopAt_;
};

}  // namespace twick::test
