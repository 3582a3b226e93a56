#include "tests/TextDecoderHarness.h"

#include <gtest/gtest.h>

#include <memory>

#include "core/TextStream.h"
#include "jobs/DecodeContext.h"
#include "tests/Fixtures.h"
#include "tests/TestFiles.h"

namespace twick::test {

const char* CodeName(TextCode code) {
  switch (code) {
    case TextCode::Base64: return "Base64";
    case TextCode::UU: return "UU";
    case TextCode::XX: return "XX";
    case TextCode::Btoa4: return "Btoa4";
    case TextCode::Btoa5: return "Btoa5";
    case TextCode::BinHex: return "BinHex";
  }
  return "Unknown";
}

DecodeOutcome RunTextDecoder(TextCode code, const std::string& text, int bufSize,
                             OutputOpener* opener) {
  ScratchDir dir;
  WriteFile(dir.file("source.txt"), text);
  DecodeOutcome outcome;
  outcome.outputPath = dir.file("out.bin");
  TextStream in;
  std::string line;
  const bool ready =
      in.Open(dir.file("source.txt")) && (code != TextCode::BinHex || in.ReadLine(line));
  EXPECT_TRUE(ready) << "cannot read the source";
  if (!ready) return outcome;
  DecodeContext dlg(outcome.window, opener != nullptr ? *opener : DiskOutputOpener());
  dlg.m_sourceIdentity = in.Identity();
  dlg.m_nBufSize = bufSize;
  dlg.m_nBtoaVersion = code == TextCode::Btoa5 ? 5 : 4;
  dlg.m_strOutput = outcome.outputPath;
  auto buffer = std::make_unique<char[]>(static_cast<size_t>(bufSize));
  const uint64_t start = in.Tell();

  SectionResult result;
  switch (code) {
    case TextCode::Base64: result = DecodeBase64(dlg, in, buffer.get(), start); break;
    case TextCode::UU: result = DecodeUUXX(dlg, in, buffer.get(), *dlg.m_pUUTable, start); break;
    case TextCode::XX: result = DecodeUUXX(dlg, in, buffer.get(), *dlg.m_pXXTable, start); break;
    case TextCode::Btoa4:
    case TextCode::Btoa5: result = DecodeBtoa(dlg, in, buffer.get(), start); break;
    case TextCode::BinHex: result = DecodeBinHex(dlg, in, buffer.get(), start); break;
  }
  outcome.result = result.written ? 1 : 0;
  outcome.status = result.status;
  outcome.output = ReadFile(outcome.outputPath);
  outcome.rest = text.substr(in.Tell());
  outcome.nextLine = in.ReadLine(line) ? line : "<eof>";
  return outcome;
}

std::string EncodeLines(TextCode code, const std::string& data) {
  switch (code) {
    case TextCode::Base64: return Base64Lines(data);
    case TextCode::UU: return UUXXLines(data, UUAlphabet);
    case TextCode::XX: return UUXXLines(data, XXAlphabet);
    case TextCode::Btoa4: return BtoaLines(data);
    case TextCode::Btoa5: return BtoaLines(data, true);
    case TextCode::BinHex: break;
  }
  return {};
}

}  // namespace twick::test
