#include "tests/TextDecoderHarness.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "core/Alphabets.h"
#include "core/DecodeContext.h"
#include "core/TextStream.h"
#include "tests/TestFiles.h"

namespace twick::test {

DecodeOutcome RunTextDecoder(TextCode code, const std::string& text, int bufSize,
                             OutputOpener* opener) {
  ScratchDir dir;
  WriteFile(dir.file("source.txt"), text);
  DecodeOutcome outcome;
  outcome.outputPath = dir.file("out.bin");
  TextStream in;
  if (!in.Open(dir.file("source.txt"))) return outcome;
  DecodeContext dlg(outcome.window, opener != nullptr ? *opener : DiskOutputOpener());
  dlg.m_sourceIdentity = in.Identity();
  dlg.m_nBufSize = bufSize;
  dlg.m_nBtoaVersion = code == TextCode::Btoa5 ? 5 : 4;
  dlg.m_strOutput = outcome.outputPath;
  auto buffer = std::make_unique<char[]>(static_cast<size_t>(bufSize));

  switch (code) {
    case TextCode::Base64:
      outcome.result = DecodeBase64(dlg, in, buffer.get(), 0);
      break;
    case TextCode::UU:
      outcome.result = DecodeUUXX(dlg, in, buffer.get(), *dlg.m_pUUTable, 0);
      break;
    case TextCode::XX:
      outcome.result = DecodeUUXX(dlg, in, buffer.get(), *dlg.m_pXXTable, 0);
      break;
    case TextCode::Btoa4:
    case TextCode::Btoa5:
      outcome.result = DecodeBtoa(dlg, in, buffer.get(), 0);
      break;
  }
  outcome.output = ReadFile(outcome.outputPath);
  std::string line;
  outcome.nextLine = in.ReadLine(line) ? line : "<eof>";
  return outcome;
}

namespace {

uint32_t Word(const std::string& data, size_t at, size_t bytes) {
  uint32_t word = 0;
  for (size_t i = 0; i < bytes; ++i)
    word = word << 8 | (at + i < data.size() ? static_cast<unsigned char>(data[at + i]) : 0u);
  return word;
}

std::string EncodeBase64(const std::string& data) {
  std::string text, line;
  for (size_t at = 0; at < data.size(); at += 3) {
    const size_t n = std::min<size_t>(3, data.size() - at);
    const uint32_t word = Word(data, at, 3);
    for (size_t i = 0; i < 4; ++i)
      line += i <= n ? Base64Alphabet[(word >> (18 - 6 * i)) & 63] : '=';
    if (line.size() == 76) text += line + "\n", line.clear();
  }
  return line.empty() ? text : text + line + "\n";
}

std::string EncodeUULike(const std::string& data, const char* alphabet) {
  std::string text;
  for (size_t at = 0; at < data.size(); at += 45) {
    const size_t n = std::min<size_t>(45, data.size() - at);
    text += alphabet[n];
    for (size_t i = 0; i < n; i += 3) {
      const uint32_t word = Word(data, at + i, 3);
      for (int shift = 18; shift >= 0; shift -= 6) text += alphabet[(word >> shift) & 63];
    }
    text += '\n';
  }
  return text;
}

std::string EncodeBtoa(const std::string& data, bool checkCharacter) {
  std::string text, line;
  for (size_t at = 0; at < data.size(); at += 4) {
    uint32_t word = Word(data, at, 4);
    if (word == 0) {
      line += 'z';
    } else {
      char group[5];
      for (int i = 4; i >= 0; --i, word /= 85) group[i] = static_cast<char>('!' + word % 85);
      line.append(group, 5);
    }
    if (line.size() >= 78) {
      text += line.substr(0, 78) + (checkCharacter ? "c\n" : "\n");
      line.erase(0, 78);
    }
  }
  return line.empty() ? text : text + line + (checkCharacter ? "c\n" : "\n");
}

class FailingSink : public OutputSink {
 public:
  bool Write(const char*, size_t) override { return false; }
  bool SetLength(uint64_t) override { return false; }
  bool Close() override { return false; }
};

class FailingOpener : public OutputOpener {
 public:
  std::unique_ptr<OutputSink> Create(const std::string&, const OutputOptions&) override {
    return std::make_unique<FailingSink>();
  }
};

class RefusingOpener : public OutputOpener {
 public:
  std::unique_ptr<OutputSink> Create(const std::string&, const OutputOptions&) override {
    return nullptr;
  }
};

}  // namespace

std::string EncodeLines(TextCode code, const std::string& data) {
  switch (code) {
    case TextCode::Base64: return EncodeBase64(data);
    case TextCode::UU: return EncodeUULike(data, UUAlphabet);
    case TextCode::XX: return EncodeUULike(data, XXAlphabet);
    case TextCode::Btoa4: return EncodeBtoa(data, false);
    case TextCode::Btoa5: return EncodeBtoa(data, true);
  }
  return {};
}

OutputOpener& FailingOutputOpener() {
  static FailingOpener opener;
  return opener;
}

OutputOpener& RefusingOutputOpener() {
  static RefusingOpener opener;
  return opener;
}

}  // namespace twick::test
