#include "core/EncoderSupport.h"

#include "core/Messages.h"

namespace twick {

EncoderBuffers::EncoderBuffers(EncodeContext& dlg, size_t blockSize, size_t outputSize)
    : block_(dlg.m_allocator.Allocate(blockSize)) {
  if (block_) output_ = dlg.m_allocator.Allocate(outputSize);
  if (!block_ || !output_) {
    block_.reset();
    output_.reset();
    dlg.m_window.ShowMessage(kNoEncodeMemoryText, kMemoryErrorCaption, MessageIcon::Stop);
  }
}

void ReportOutputFailure(EncodeContext& dlg) {
  dlg.m_window.ShowMessage(OutputFailedText(dlg.m_strOutput, kEncodingAbortedText),
                           kFileErrorCaption, MessageIcon::Stop);
}

bool WriteEncoded(EncodeContext& dlg, OutputSink& out, const char* data, size_t size) {
  if (size == 0 || out.Write(data, size)) return true;
  ReportOutputFailure(dlg);
  return false;
}

long long ReadBlock(EncodeContext& dlg, InputFile& in, char* block, size_t size) {
  long long got = in.Read(block, size);
  if (got < 0)
    dlg.m_window.ShowMessage(kUnreadableSourceText, kFileErrorCaption, MessageIcon::Stop);
  return got;
}

AlphabetPairs::AlphabetPairs(const char* alphabet) {
  for (int v = 0; v < 4096; ++v) {
    pairs_[v][0] = alphabet[v >> 6];
    pairs_[v][1] = alphabet[v & 63];
  }
}

}  // namespace twick
