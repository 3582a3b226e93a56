// Decodes a mail of sections with known payloads (fuzz/MailRecipe.h) into a
// fresh folder and checks what the program promises: every section is saved
// byte for byte under its name or reported; a run whose outcome maps to exit
// status 0 saved every section whole and nothing else; damage the program
// must notice makes the status 1. Anything else aborts with a line saying
// which promise broke.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "codecs/Alphabets.h"
#include "fuzz/FuzzSupport.h"
#include "fuzz/MailRecipe.h"
#include "jobs/DecodeJob.h"

namespace {

using twick::fuzz::PlannedSection;

class CountingWindow : public twick::fuzz::SilentWindow {
 public:
  void ShowMessage(const std::string& text, const std::string&, twick::MessageIcon) override {
    ++messages;
    last = text;
  }
  int messages = 0;
  std::string last;
};

bool ReadFile(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), {});
  return true;
}

[[noreturn]] void Broken(const std::string& promise, const std::string& detail) {
  std::fprintf(stderr, "OutputCheckFuzzer: %s: %s\n", promise.c_str(), detail.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace twick;
  FuzzedDataProvider in(data, size);
  const int mode = in.ConsumeBool() ? kAutoDecode2 : kAutoDecode1;
  const fuzz::Mail mail = fuzz::BuildMail(in);
  // To look at a reproducer: TWICK_FUZZ_MAIL=path keeps the mail there.
  if (const char* keep = std::getenv("TWICK_FUZZ_MAIL"))
    std::ofstream(keep, std::ios::binary) << mail.text;
  fuzz::ScratchInput source(reinterpret_cast<const uint8_t*>(mail.text.data()), mail.text.size());
  fuzz::ScratchFolder folder;
  CountingWindow window;
  CDecodeJob job(window);
  job.m_strSource = source.path();
  job.m_strDecodeDir = folder.path();
  job.m_nAutoMode = mode;
  job.m_bOverwrite = false;
  job.m_bPause = false;
  job.RunDecodeJob();

  // What the console program turns into exit status 0.
  const JobResult& result = job.m_result;
  const bool exitOk = result.sourceOpened && result.sourceReadToEnd && result.failed == 0;
  if (!exitOk && window.messages == 0) Broken("status 1 without a message", "");

  for (const PlannedSection& s : mail.sections) {
    std::string saved;
    const bool found = ReadFile(folder.path() + s.name, saved);
    const bool exact = found && (s.ambiguous || saved == s.payload);
    if (s.mustBeReported && exitOk) Broken("damage not reported", s.name);
    if (exitOk && !exact)
      Broken(
          "status 0 but not saved whole",
          s.name + (found ? " differs, " + std::to_string(saved.size()) + " bytes" : " missing"));
    // Only where headers decide: when the content does, a section with too
    // little data to tell its format is refused (and reported).
    if (!exact && s.damage == fuzz::Damage::None && !s.mayBeLost && mode == kAutoDecode1)
      Broken("undamaged section not saved whole", s.name + " (" + window.last + ")");
    // A section the job counts as complete must be what was encoded.
    for (const auto& record : job.m_sections) {
      if (record.output == folder.path() + s.name && record.complete && found && !exact)
        Broken("complete section with wrong bytes", s.name);
    }
  }
  for (const std::string& name : folder.Names()) {
    if (name.rfind(".twick-", 0) == 0) Broken("temporary file left behind", name);
    bool planned = false;
    for (const PlannedSection& s : mail.sections) planned = planned || name == s.name;
    if (!planned && exitOk) Broken("status 0 with an unplanned output", name);
  }
  return 0;
}
