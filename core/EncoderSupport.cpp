#include "core/EncoderSupport.h"

namespace twick {

EncoderBuffers::EncoderBuffers(EncodeContext& dlg, size_t blockSize, size_t outputSize)
    : block_(dlg.m_allocator.Allocate(blockSize)) {
  if (block_) output_ = dlg.m_allocator.Allocate(outputSize);
  if (!block_ || !output_) {
    block_.reset();
    output_.reset();
    dlg.m_window.ShowMessage("Not enough memory for encoding!", "Memory Error:", MessageIcon::Stop);
  }
}

void ReportOutputFailure(EncodeContext& dlg) {
  dlg.m_window.ShowMessage(
      "Error creating/writing to output file:\n" + dlg.m_strOutput + "\nEncoding aborted!",
      "File Error:", MessageIcon::Stop);
}

bool WriteEncoded(EncodeContext& dlg, OutputSink& out, const char* data, size_t size) {
  if (size == 0 || out.Write(data, size)) return true;
  ReportOutputFailure(dlg);
  return false;
}

long long ReadBlock(EncodeContext& dlg, InputFile& in, char* block, size_t size) {
  long long got = in.Read(block, size);
  if (got < 0)
    dlg.m_window.ShowMessage("Unable to read selected file!", "File Error:", MessageIcon::Stop);
  return got;
}

std::string HeaderTitle(const std::string& title) {
  std::string safe = title;
  for (char& c : safe) {
    unsigned char u = static_cast<unsigned char>(c);
    if ((u >= 0x01 && u <= 0x1F) || u == 0x7F) c = '_';
  }
  return safe;
}

AlphabetPairs::AlphabetPairs(const char* alphabet) {
  for (int v = 0; v < 4096; ++v) {
    pairs_[v][0] = alphabet[v >> 6];
    pairs_[v][1] = alphabet[v & 63];
  }
}

}  // namespace twick
