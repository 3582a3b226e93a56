#include "jobs/SplitPlan.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "codecs/UUXXDecoder.h"
#include "jobs/YEncLines.h"

namespace twick {
namespace {

/// How far before a section's data its part marker is looked for (a Subject
/// line, message/partial headers).
constexpr uint64_t kMarkerWindow = 16 * 1024;

/// Leaves the stream at a closing line that follows only blank lines, and
/// says so; otherwise the stream stays where it was.
bool IsEqualsLine(std::string_view line) { return line == "===="; }

bool ClosingLineFollows(TextStream& in, bool (*isClosing)(std::string_view) = IsUUXXClosingLine) {
  const uint64_t start = in.Tell();
  std::string_view line;
  for (;;) {
    const uint64_t lineStart = in.Tell();
    if (!in.ReadLine(line)) break;
    if (line.empty()) continue;
    if (!isClosing(line)) break;
    in.Seek(lineStart);
    return true;
  }
  in.Seek(start);
  return false;
}

}  // namespace

void SplitPlan::Begin(const Section& section, uint64_t searchStart) {
  format_ = section.format;
  beginHeader_ = section.beginHeader;
  equalsLineEnds_ = section.equalsLineEnds;
  searchStart_ = searchStart;
  dataStart_ = section.dataStart;
  partsSeen_.assign(1, 1);
  partTotal_ = 0;
  partsLocated_ = false;
  parts_.clear();
  conflicting_.clear();
  nextPart_ = 0;
  resumeAt_ = 0;
  gap_ = 0;
  currentSource_ = 0;
}

std::vector<std::string> SplitPlan::TakeSourcesRead() {
  std::vector<std::string> taken;
  taken.swap(sourcesRead_);
  return taken;
}

void SplitPlan::LocateInOtherSources(PartLocator& locator) const {
  for (size_t k = 0; k < otherSources_->size(); ++k) {
    // A stream of its own, so the source's stays where it is.
    TextStream other;
    if (!other.Open((*otherSources_)[k])) continue;
    locator.SetSource(static_cast<int>(k) + 1);
    locator.CollectBetween(other, 0, std::numeric_limits<uint64_t>::max());
    if (locator.InPartOrder().size() + 1 >= static_cast<size_t>(locator.Total())) break;
  }
  locator.SetSource(0);
}

bool SplitPlan::OpenSource(TextStream& in, int source) {
  if (source == currentSource_) return true;
  const std::string& path = SourcePath(source);
  if (!in.Open(path)) {
    currentSource_ = -1;  // the stream is closed: the source must be opened again
    return false;
  }
  currentSource_ = source;
  if (source != 0 &&
      std::find(sourcesRead_.begin(), sourcesRead_.end(), path) == sourcesRead_.end())
    sourcesRead_.push_back(path);
  return true;
}

void SplitPlan::LocateParts(TextStream& in) {
  partsLocated_ = true;
  const uint64_t gap = in.Tell();
  gap_ = gap;
  sourcePath_ = in.Path();
  PartLocator locator(format_);
  const uint64_t window = dataStart_ > kMarkerWindow ? dataStart_ - kMarkerWindow : 0;
  PartMarker first = locator.MarkerBefore(in, std::max(searchStart_, window), dataStart_);
  first.part = 1;  // the part that holds the header is the first
  if (format_ == kFormatBase64 && !first.Marked()) {
    in.Seek(gap);
    return;
  }
  locator.SetFirst(first);
  if (first.Marked()) locator.CollectBetween(in, searchStart_, dataStart_);
  resumeAt_ = locator.CollectFollowing(in, gap);
  // A numbered file whose source lacks parts may go on in the other files
  // given with it.
  const int total = locator.Total();
  if (total > 0 && otherSources_ && !otherSources_->empty() &&
      locator.InPartOrder().size() + 1 < static_cast<size_t>(total))
    LocateInOtherSources(locator);
  parts_ = locator.InPartOrder();
  partTotal_ = total;
  if (partTotal_ > 0)
    conflicting_ = locator.Conflicting(in, {1, dataStart_, gap, 0},
                                       otherSources_ ? *otherSources_ : std::vector<std::string>());
  in.Seek(gap);
}

void SplitPlan::LocateYEncInOtherSources(const YEncFields& file) {
  auto distinct = [this] {
    std::set<int> numbers;
    for (const PartRange& part : parts_) numbers.insert(part.number);
    return numbers.size();
  };
  for (size_t k = 0; k < otherSources_->size(); ++k) {
    if (file.hasTotal && distinct() >= static_cast<size_t>(file.total)) break;
    TextStream other;
    if (!other.Open((*otherSources_)[k])) continue;
    for (PartRange part : FindYEncParts(other, 0, file)) {
      part.source = static_cast<int>(k) + 1;
      parts_.push_back(part);
    }
  }
}

bool SplitPlan::NextYEncPart(TextStream& in) {
  if (!partsLocated_) {
    partsLocated_ = true;
    partsSeen_.clear();
    // When a part is read from another file, the source is read on from
    // the section's first line, its own parts passed over there.
    gap_ = dataStart_;
    sourcePath_ = in.Path();
    std::string_view line;
    YEncFields file;
    in.Seek(dataStart_);
    if (!in.ReadLine(line) || !ParseYEncLine(line, "=ybegin", file) || !file.hasPart) return false;
    partTotal_ = file.hasTotal ? file.total : 0;
    parts_ = FindYEncParts(in, dataStart_, file);
    for (const PartRange& part : parts_) yencPartsRead_.insert(part.start);
    if (otherSources_ && !otherSources_->empty()) LocateYEncInOtherSources(file);
    // Part order; a part found twice is read once, the first copy.
    std::stable_sort(parts_.begin(), parts_.end(),
                     [](const PartRange& a, const PartRange& b) { return a.number < b.number; });
    parts_.erase(
        std::unique(parts_.begin(), parts_.end(),
                    [](const PartRange& a, const PartRange& b) { return a.number == b.number; }),
        parts_.end());
    if (yencPartsReadByCommand_) {
      // The source's own parts are passed over by this job alone.
      for (const PartRange& part : parts_) {
        if (part.source != 0)
          yencPartsReadByCommand_->insert({SourcePath(part.source), part.start});
      }
    }
  }
  return nextPart_ < parts_.size() && GoToNextPart(in);
}

bool SplitPlan::GoToNextPart(TextStream& in) {
  const PartRange& part = parts_[nextPart_++];
  if (!OpenSource(in, part.source)) {
    // The file cannot be read now: its parts and the later ones are
    // missing, and the source is read again where it was left.
    nextPart_ = parts_.size();
    SkipPastParts(in);
    return false;
  }
  partsSeen_.push_back(part.number);
  in.Seek(part.start);
  return true;
}

bool SplitPlan::FindContinuation(TextStream& in) {
  if (format_ == kFormatYEnc) return NextYEncPart(in);
  // Blank lines before the "====" line of a begin-base64 section: the
  // section goes on to that line.
  if (format_ == kFormatBase64 && equalsLineEnds_) return ClosingLineFollows(in, IsEqualsLine);
  const bool uuxx = format_ == kFormatUU || format_ == kFormatXX;
  // UU and XX under a begin line; Base64 except a begin-base64 section.
  const bool mayGoOn = uuxx ? beginHeader_ : (format_ == kFormatBase64 && !equalsLineEnds_);
  if (!mayGoOn) return false;
  if (!partsLocated_) {
    // Blank lines before the end line: a whole file, not one in parts.
    if (uuxx && ClosingLineFollows(in)) return true;
    LocateParts(in);
  }
  if (nextPart_ < parts_.size()) return GoToNextPart(in);
  return uuxx && ClosingLineFollows(in);
}

bool SplitPlan::TakeNextPartInLine(int part) {
  if (partsLocated_ || part != partsSeen_.back() + 1) return false;
  partsSeen_.push_back(part);
  return true;
}

void SplitPlan::SkipPastParts(TextStream& in) {
  if (currentSource_ != 0) {
    // Back to the source, after the section's own parts there.
    if (!OpenSource(in, 0)) {
      in.MarkFailed();
      return;
    }
    in.Seek(std::max(gap_, resumeAt_));
    return;
  }
  if (partsLocated_ && resumeAt_ > in.Tell()) in.Seek(resumeAt_);
}

MissingParts SplitPlan::Missing(size_t listed) const {
  MissingParts missing;
  missing.total = partTotal_;
  missing.conflicting = conflicting_;
  std::vector<int> seen = partsSeen_;
  std::sort(seen.begin(), seen.end());
  seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
  // The gaps between the parts read, and after the last one.
  int next = 1;  // the lowest part not yet accounted for
  auto gapBefore = [&](int part) {
    if (part > next) {
      missing.count += part - next;
      if (missing.runs.size() < listed) missing.runs.push_back({next, part - 1});
    }
    next = std::max(next, part + 1);
  };
  for (int part : seen) {
    if (part > partTotal_) break;
    gapBefore(part);
  }
  if (partTotal_ >= next) gapBefore(partTotal_ + 1);
  return missing;
}

}  // namespace twick
