// Files posted in several parts and saved into one source. When a UU or XX
// section stops before its end line, or a Base64 section whose header is
// numbered as part 1 stops, the parts of the same file are located once (see
// PartLocator): those posted ahead of part 1 and those that follow it. The
// decoder then reads them in part order, each once, by seeking; the search
// for the next section goes on after the last part in the source.

#include <algorithm>
#include <string>
#include <string_view>

#include "codecs/UUXXDecoder.h"
#include "core/Messages.h"
#include "jobs/DecodeJob.h"
#include "jobs/HeaderLines.h"
#include "jobs/TextDecoderSupport.h"

namespace twick {
namespace {

/// How far before a section's data its part marker is looked for (a Subject
/// line, message/partial headers).
constexpr uint64_t kMarkerWindow = 16 * 1024;

/// Leaves the stream at a closing line that follows only blank lines, and
/// says so; otherwise the stream stays where it was.
bool ClosingLineFollows(TextStream& in) {
  const uint64_t start = in.Tell();
  std::string_view line;
  for (;;) {
    const uint64_t lineStart = in.Tell();
    if (!in.ReadLine(line)) break;
    if (line.empty()) continue;
    if (!IsUUXXClosingLine(line)) break;
    in.Seek(lineStart);
    return true;
  }
  in.Seek(start);
  return false;
}

}  // namespace

void CDecodeJob::PrepareSection(uint64_t searchStart, uint64_t dataStart) {
  m_bDataLost = false;
  m_bCutShort = false;
  m_partsSeen.assign(1, 1);
  m_nPartTotal = 0;
  m_searchStart = searchStart;
  m_dataStart = dataStart;
  m_bPartsLocated = false;
  m_partPlan.clear();
  m_nextPart = 0;
  m_resumeAt = 0;
}

void CDecodeJob::LocateParts(TextStream& in) {
  m_bPartsLocated = true;
  const uint64_t gap = in.Tell();
  PartLocator locator(m_nCodeFormat);
  const uint64_t window = m_dataStart > kMarkerWindow ? m_dataStart - kMarkerWindow : 0;
  PartMarker first = locator.MarkerBefore(in, std::max(m_searchStart, window), m_dataStart);
  first.part = 1;  // the part that holds the header is the first
  if (m_nCodeFormat == kFormatBase64 && !first.Marked()) {
    in.Seek(gap);
    return;
  }
  locator.SetFirst(first);
  if (first.Marked()) locator.CollectBetween(in, m_searchStart, m_dataStart);
  m_resumeAt = locator.CollectFollowing(in, gap);
  m_partPlan = locator.InPartOrder();
  m_nPartTotal = locator.Total();
  in.Seek(gap);
}

bool CDecodeJob::FindContinuation(TextStream& in) {
  const bool uuxx = m_nCodeFormat == kFormatUU || m_nCodeFormat == kFormatXX;
  // UU and XX under a begin line; Base64 except a begin-base64 section.
  const bool mayGoOn =
      uuxx ? m_bBeginHeader : (m_nCodeFormat == kFormatBase64 && !m_bEqualsLineEnds);
  if (!mayGoOn) return false;
  if (!m_bPartsLocated) {
    // Blank lines before the end line: a whole file, not one in parts.
    if (uuxx && ClosingLineFollows(in)) return true;
    LocateParts(in);
  }
  if (m_nextPart < m_partPlan.size()) {
    const PartRange& part = m_partPlan[m_nextPart++];
    m_partsSeen.push_back(part.number);
    in.Seek(part.start);
    return true;
  }
  return uuxx && ClosingLineFollows(in);
}

void CDecodeJob::SkipPastParts(TextStream& in) const {
  if (m_bPartsLocated && m_resumeAt > in.Tell()) in.Seek(m_resumeAt);
}

bool CDecodeJob::ReportLostData() {
  std::string missing;
  int count = 0;
  for (int part = 1; part <= m_nPartTotal; ++part) {
    if (std::find(m_partsSeen.begin(), m_partsSeen.end(), part) != m_partsSeen.end()) continue;
    if (++count <= 20) missing += (missing.empty() ? "" : ", ") + std::to_string(part);
  }
  if (count > 20) missing += ", ...";
  std::string detail;
  if (count > 0) {
    detail = "Missing part" + std::string(count > 1 ? "s " : " ") + missing + " of " +
             std::to_string(m_nPartTotal) + ".";
  } else if (m_bCutShort && m_bBeginHeader) {
    detail = "The closing line of the section is missing.";
  } else {
    return false;
  }
  m_window.ShowMessage(IncompleteOutputText(m_strOutput, detail), kContentErrorCaption,
                       MessageIcon::Stop);
  return true;
}

}  // namespace twick
