#include "convert/Converter.h"

#include <cstdint>

#include "core/FileIdentity.h"
#include "core/InputFile.h"
#include "core/Messages.h"
#include "core/PathRules.h"
#include "core/ProgressCounter.h"

namespace twick {

namespace {

constexpr uint64_t kProgressSteps = 30;

enum class Outcome { Done, ReadFailed, WriteFailed, Stopped };

// Streams the source through ConvertBlock, stepping the progress bar by the
// bytes converted. A CR that ends a block is held back until the next block
// shows whether an LF follows it. A stop asked for is heeded before each block.
Outcome Stream(InputFile& source, OutputSink& output, char* block, char* buffer,
               ProgressCounter& progress, JobWindow& window) {
  bool crHeld = false;
  for (;;) {
    if (window.CancelRequested()) return Outcome::Stopped;
    long long got = source.Read(block, CConvertJob::kInputBlockSize);
    if (got < 0) return Outcome::ReadFailed;
    if (got == 0) break;
    size_t count = static_cast<size_t>(got);
    bool endsWithCr = block[count - 1] == '\r';
    if (endsWithCr) --count;
    if (!ConvertBlock(output, block, buffer, count, crHeld)) return Outcome::WriteFailed;
    crHeld = endsWithCr;
    progress.CountEveryStep(count);
  }
  if (crHeld && !output.Write("\r\n", 2)) return Outcome::WriteFailed;
  return output.Close() ? Outcome::Done : Outcome::WriteFailed;
}

}  // namespace

std::string ProposeConvertOutput(const std::string& from) {
  std::string name = FileNameOf(from);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return DirectoryOf(from) + name + ".out";
}

bool CConvertJob::SettleOutputName() {
  // Asks the file system, so that an existing file that cannot be read is
  // never replaced without the question.
  m_bReplaceOutput = m_bOverwrite;
  if (m_bOverwrite) return true;
  while (PathExists(m_strTo)) {
    m_window.ShowMessage(kConvertFileExistsText, kConverterCaption, MessageIcon::None);
    std::string path = m_strTo;
    NameChoice choice = m_window.AskOutputName(path);
    if (choice == NameChoice::Cancel) return false;
    m_strTo = path;
    if (choice == NameChoice::OkOverwrite) {
      m_bReplaceOutput = true;
      break;
    }
  }
  return true;
}

void CConvertJob::ReportWriteFailure() {
  m_window.ShowMessage(OutputFailedText(m_strTo, kConversionAbortedText), kFileErrorCaption,
                       MessageIcon::Stop);
}

bool CConvertJob::Convert() {
  m_result = JobResult();
  m_window.SetProgressRange(0, kProgressEnd);
  m_window.SetProgressStep(1);
  m_window.SetProgressPos(0);

  if (m_strFrom.empty()) {
    m_window.ShowMessage(kNoFileSelectedText, kConverterCaption, MessageIcon::Exclamation);
    return false;
  }

  auto block = m_allocator.Allocate(kInputBlockSize);
  auto buffer = m_allocator.Allocate(kOutputBufferSize);
  if (!block || !buffer) {
    m_window.ShowMessage(kNoDecodeMemoryText, "", MessageIcon::None);
    return false;
  }

  InputFile source(*m_pReader);
  if (!source.Open(m_strFrom)) {
    m_window.ShowMessage(kUnreadableSourceText, kFileErrorCaption, MessageIcon::Exclamation);
    return false;
  }

  m_result.sourceOpened = true;
  m_result.found = 1;
  if (!SettleOutputName()) {
    ++m_result.skipped;
    return false;
  }

  // The source stays open until the end; an output path that names it (or
  // a link to it) is refused rather than truncating the file being read.
  OutputOptions options;
  options.source = source.Identity();
  options.replace = m_bReplaceOutput;
  std::unique_ptr<OutputSink> output = m_opener.Create(m_strTo, options);
  if (!output) {
    ReportWriteFailure();
    ++m_result.failed;
    return false;
  }

  m_window.BeginWaitCursor();
  ProgressCounter progress(m_window, source.Length(), kProgressSteps);
  Outcome outcome = Stream(source, *output, block.get(), buffer.get(), progress, m_window);
  // A failed write saves nothing; a read error keeps what was converted; a
  // stopped conversion leaves nothing behind.
  if (outcome == Outcome::Stopped) output->Discard();
  output.reset();
  switch (outcome) {
    case Outcome::Done:
      progress.Finish();
      m_window.ShowMessage(kConversionDoneText, kConverterCaption, MessageIcon::None);
      break;
    case Outcome::ReadFailed:
      m_window.ShowMessage(kUnreadableSourceText, kFileErrorCaption, MessageIcon::Exclamation);
      break;
    case Outcome::WriteFailed: ReportWriteFailure(); break;
    case Outcome::Stopped:
      m_result.stopped = true;
      m_window.ShowMessage(kConversionAbortedText, kConverterCaption, MessageIcon::None);
      break;
  }
  m_window.EndWaitCursor();
  bool done = outcome == Outcome::Done;
  m_result.sourceReadToEnd = done;
  m_result.succeeded = done;
  ++(done ? m_result.done : m_result.failed);
  if (done) m_result.written.push_back(m_strTo);
  return done;
}

}  // namespace twick
