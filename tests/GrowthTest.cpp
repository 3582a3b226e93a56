// How the time of the decode job's steps grows with their input. Each case
// runs at two sizes, n and 4n: linear work takes about 4 times as long at
// the larger size, quadratic work 16 times. The best of three runs counts,
// so a busy machine slows both sizes alike; no case has a time limit.

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <functional>
#include <string>

#include "jobs/DecodeJob.h"
#include "jobs/MimeNames.h"
#include "tests/FakeWindow.h"
#include "tests/Fixtures.h"
#include "tests/TestDoubles.h"
#include "tests/TestFiles.h"

namespace twick {
namespace {

using namespace test;

/// The larger size may take at most this many times as long as the smaller.
constexpr double kMaxRatio = 10;

/// Decodes `text` as mail.txt in `dir`, every output kept in memory, with
/// replacing allowed.
void DecodeInMemory(const ScratchDir& dir, const std::string& text) {
  WriteFile(dir.file("mail.txt"), text);
  FakeWindow window;
  MemoryOpener opener;
  CDecodeJob job(window, opener);
  job.m_strSource = dir.file("mail.txt");
  job.m_bPause = false;
  job.m_bOverwrite = true;
  job.RunDecodeJob();
}

/// Names this long make every comparison of two of them cost its share.
const std::string kLongName(200, 'n');

/// One short UU section.
std::string TinySection(const std::string& name) { return UUXXSection(name, "abc"); }

/// A UU file posted in `parts` parts of one line each, every part marked
/// "(k/total)" and all saved one after another.
std::string PartsOfLargeTotal(size_t parts, size_t total) {
  const std::string dataLine = "M" + std::string(60, 'A');
  std::string text;
  for (size_t k = 1; k <= parts; ++k) {
    text += "Subject: p.bin (" + std::to_string(k) + "/" + std::to_string(total) + ")\n\n";
    if (k == 1) text += "begin 644 p.bin\n";
    text += dataLine + "\n\n";
  }
  return text;
}

struct GrowthCase {
  const char* what;
  size_t n;
  /// Makes the input of size `n` (not timed) and returns the work to time.
  std::function<std::function<void()>(size_t n)> prepare;
};

// Processor time of this process, so that other programs running beside the
// test (a parallel build, other tests) do not count.
double BestOfThree(const std::function<void()>& work) {
  double best = 1e30;
  for (int run = 0; run < 3; ++run) {
    const std::clock_t start = std::clock();
    work();
    best = std::min(best, static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
  }
  return best;
}

TEST(Growth, TimeGrowsLinearlyWithTheInput) {
  ScratchDir dir;
  auto decodeJob = [&dir](std::function<std::string(size_t)> make) {
    return [&dir, make](size_t n) {
      return std::function<void()>([&dir, text = make(n)] { DecodeInMemory(dir, text); });
    };
  };
  auto encodedWords = [](std::string word, std::string tail) {
    return [word, tail](size_t n) {
      std::string line;
      for (size_t k = 0; k < n; ++k) line += word;
      line += tail;
      return std::function<void()>([line] { DecodeEncodedWords(line); });
    };
  };
  const GrowthCase cases[] = {
      {"sections with names of their own", 1000, decodeJob([](size_t n) {
         std::string text;
         for (size_t k = 0; k < n; ++k) text += TinySection(kLongName + std::to_string(k) + ".bin");
         return text;
       })},
      {"sections of one name, replacing allowed", 1000, decodeJob([](size_t n) {
         std::string text;
         for (size_t k = 0; k < n; ++k) text += TinySection("same.bin");
         return text;
       })},
      {"parts of a far larger total", 1000,
       decodeJob([](size_t n) { return PartsOfLargeTotal(n, 20 * n); })},
      {"encoded words never closed", 2000, encodedWords("=?utf-8?B?YWJj ", "")},
      {"encoded words closed only at the end", 2000, encodedWords("=?a?bb?c ", "?=")},
      {"encoded words of an unknown coding", 2000, encodedWords("=?utf-8?X?abc?= ", "")},
      {"plain names quoted and unquoted", 2000,
       [](size_t n) {
         std::string line = "Content-Type: x;";
         for (size_t k = 0; k < n; ++k) line += " name=\"a\" x filename=b; name*=\"c";
         return std::function<void()>([line] {
           MimeNameCollector names;
           names.Take(line);
           names.Take(" " + line);
           names.Name();
         });
       }},
      {"pieces of an extended name", 2000,
       [](size_t n) {
         std::string line = "Content-Type: x;";
         for (size_t k = 0; k < n; ++k)
           line += " name*" + std::to_string(k) + "*=%41%42" + std::to_string(k) + ";";
         return std::function<void()>([line] {
           MimeNameCollector names;
           names.Take(line);
           names.Name();
         });
       }},
  };
  for (const GrowthCase& c : cases) {
    SCOPED_TRACE(c.what);
    // Quadratic growth gives 16 times at four times the size, every time; a
    // linear case may still miss once on a busy machine, so it gets three tries.
    double small = 0, large = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
      small = BestOfThree(c.prepare(c.n));
      large = BestOfThree(c.prepare(4 * c.n));
      if (large < kMaxRatio * small) break;
    }
    EXPECT_LT(large, kMaxRatio * small)
        << small << " s at " << c.n << ", " << large << " s at " << 4 * c.n;
  }
}

}  // namespace
}  // namespace twick
