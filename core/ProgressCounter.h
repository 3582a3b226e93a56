#pragma once
// Moves a job's progress bar with the work done: a step each time a fixed
// share of the whole has been counted.

#include <cstdint>

#include "core/JobWindow.h"

namespace twick {

class ProgressCounter {
 public:
  /// Steps the bar every `total / divisor` units counted (at least every unit).
  ProgressCounter(JobWindow& window, uint64_t total, uint64_t divisor)
      : window_(window), stepSize_(total / divisor == 0 ? 1 : total / divisor) {}

  /// Adds `units`; once the count reaches the step size, steps the bar once
  /// and counts again from zero (units past the step size are dropped).
  void Count(uint64_t units) {
    count_ += units;
    if (count_ >= stepSize_) {
      window_.StepProgress();
      count_ = 0;
    }
  }

  /// Adds `units` and steps the bar once for every whole step size counted;
  /// the rest is kept for the next call.
  void CountEveryStep(uint64_t units) {
    count_ += units;
    while (count_ >= stepSize_) {
      window_.StepProgress();
      count_ -= stepSize_;
    }
  }

  /// How many units can still be counted before the bar steps: counting
  /// fewer does not step it, counting that many does.
  uint64_t UnitsBeforeStep() const { return stepSize_ - count_; }

  /// Shows the full bar.
  void Finish() { window_.SetProgressPos(kProgressEnd); }

 private:
  JobWindow& window_;
  uint64_t stepSize_;
  uint64_t count_ = 0;
};

}  // namespace twick
