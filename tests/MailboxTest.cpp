// Mailbox files: every message starts with a "From " line, which ends
// whatever section the message before it left open; files posted as
// message/partial messages are joined in part order wherever they lie.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jobs/HeaderLines.h"
#include "tests/CliRunner.h"
#include "tests/DecodeRun.h"
#include "tests/Fixtures.h"
#include "tests/PeerTools.h"
#include "tests/TestFiles.h"

namespace twick {
namespace {

using namespace test;

constexpr const char* kFrom = "From someone@example.com Tue Dec  8 18:31:50 2026\n";

TEST(Mailboxes, SeparatorLinesAreToldFromTextThatBeginsWithFrom) {
  struct Case {
    const char* line;
    bool separator;
  } cases[] = {
      {"From someone@example.com Tue Dec  8 18:31:50 2026", true},
      {"From MAILER-DAEMON Fri Jul  8 12:08:34 2011", true},
      {"From a@b.c  Mon, 7 Dec 2026 09:15 +0100", true},
      {"From here on the data is different: see Mon Dec 8", false},
      {"From: someone@example.com", false},
      {"From someone@example.com", false},
      {">From someone@example.com Tue Dec  8 18:31:50 2026", false},
      {"From  Tue Dec  8 18:31:50 2026", false},
      {"FROM SOMEONE TUE DEC  8 18:31:50 2026", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsMboxSeparator(c.line), c.separator) << c.line;
}

// The message after a separator keeps its attachment; a MIME body ends at
// the separator as at a blank line, a section with a closing line of its own
// is reported as cut short there.
TEST(Mailboxes, AFromLineEndsEverySection) {
  const std::string a = RandomBytes(300, 40), b = RandomBytes(200, 41);
  auto mime = [](const std::string& name, const std::string& data) {
    return "Subject: x\nContent-Type: application/octet-stream\n"
           "Content-Transfer-Encoding: base64\n"
           "Content-Disposition: attachment; filename=\"" +
           name + "\"\n\n" + Base64Lines(data);
  };
  const std::string next = kFrom + mime("b.bin", b) + "\n";
  const std::string uuA = UUXXSection("a.bin", a);
  const size_t secondDataLine = uuA.find('\n', uuA.find('\n') + 1) + 1;
  // 17 bytes whose XX line reads "From..." (an XX line never holds a blank).
  const std::string fromLine = a.substr(0, 45) + "\xDF\x4C\x80" + a.substr(100, 14);
  const std::string xx = UUXXSection("a.bin", fromLine, XXAlphabet);
  ASSERT_NE(xx.find("\nFrom"), std::string::npos);
  struct Case {
    const char* what;
    std::string text;
    std::string aData;  // what a.bin holds
    bool reported;      // a.bin reported as cut short
  } cases[] = {
      {"empty MIME body", mime("a.bin", "") + "\n" + next, "", false},
      {"empty MIME body, no blank line", mime("a.bin", "") + next, "", false},
      {"MIME body, no blank line", mime("a.bin", a) + next, a, false},
      {"begin-base64 without ====", "begin-base64 644 a.bin\n" + Base64Lines(a) + next, a, true},
      {"UU without end lines", uuA.substr(0, uuA.find("`\nend")) + next, a, true},
      {"btoa without its end line", "xbtoa Begin a.bin\n" + BtoaLines(a) + next, a, true},
      {"prose From line inside UU data",
       uuA.substr(0, secondDataLine) + "From here on, more of it\n" + uuA.substr(secondDataLine) +
           next,
       a, false},
      {"XX data line beginning with From", xx + next, fromLine, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    Decoded d = DecodeText(dir, kFrom + c.text);
    EXPECT_EQ(d.written, (std::vector<std::string>{dir.file("a.bin"), dir.file("b.bin")}));
    EXPECT_EQ(ReadFile(dir.file("a.bin")), c.aData);
    EXPECT_EQ(ReadFile(dir.file("b.bin")), b);
    EXPECT_EQ(d.captions.size(), c.reported ? 1u : 0u);
    EXPECT_EQ(d.result.failed, c.reported ? 1 : 0);
  }
}

/// mpack's parts of a file, each a message of the mailbox in the given
/// order (numbers from 1); `blank` puts a blank line before each separator.
std::string Mailbox(const ScratchDir& dir, const std::vector<int>& order, bool blank = true) {
  std::string out;
  for (int k : order)
    out += kFrom + ReadFile(dir.file("out.0" + std::to_string(k))) + (blank ? "\n" : "");
  return out;
}

// mpack's message/partial postings: part 1 carries the whole message's
// headers and a multipart body; the parts join in any order, and a missing
// part is reported.
TEST(Peers, MpackPartialPostingsAreJoinedInAnyOrder) {
  SKIP_WITHOUT_TOOLS("mpack");
  ScratchDir src;
  const std::string data = RandomBytes(102400, 42);
  WriteFile(src.file("d.bin"), data);
  ASSERT_EQ(RunShell("cd '" + src.dir() + "' && mpack -s subj -m 20000 -o out d.bin"), 0);
  ASSERT_EQ(ReadFile(src.file("out.08")), "");  // seven parts
  struct Case {
    const char* what;
    std::vector<int> order;
    bool blank;
    bool complete;
  } cases[] = {
      {"in order", {1, 2, 3, 4, 5, 6, 7}, true, true},
      {"reversed", {7, 6, 5, 4, 3, 2, 1}, true, true},
      {"shuffled", {3, 1, 6, 2, 7, 5, 4}, true, true},
      {"shuffled, no blank lines", {5, 2, 7, 1, 3, 6, 4}, false, true},
      {"part 3 missing", {1, 2, 4, 5, 6, 7}, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    Decoded d = DecodeText(dir, Mailbox(src, c.order, c.blank));
    EXPECT_EQ(d.written, std::vector<std::string>{dir.file("d.bin")});
    EXPECT_EQ(d.result.Complete(), c.complete);
    if (c.complete) {
      EXPECT_TRUE(ReadFile(dir.file("d.bin")) == data);
      EXPECT_TRUE(d.captions.empty());
    } else {
      EXPECT_EQ(d.captions, std::vector<std::string>{"Content Error:"});
    }
  }
}

// The parts of one posting in separate files given to one command: joined
// in any order; a file that holds only parts is no failure once they were
// read, and a posting still missing a part is reported with exit status 1.
TEST(SeveralFiles, PartsInSeparateFilesAreJoined) {
  SKIP_WITHOUT_TOOLS("mpack", "uuenview");
  ScratchDir src;
  const std::string data = RandomBytes(30000, 43);
  WriteFile(src.file("d.bin"), data);
  const std::string cd = "cd '" + src.dir() + "' && ";
  ASSERT_EQ(RunShell(cd + "mpack -s subj -m 12000 -o out d.bin"), 0);
  ASSERT_EQ(RunShell(cd + "uuenview -u -300 -o d.bin >/dev/null 2>&1"), 0);
  // Three UU parts and four message/partial ones.
  ASSERT_EQ(ReadFile(src.file("d.004")) + ReadFile(src.file("out.05")), "");
  WriteFile(src.file("plain.txt"), "no encoded data here\n");
  auto files = [&](const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& name : names) out += " '" + src.file(name) + "'";
    return out;
  };
  struct Case {
    const char* what;
    std::vector<std::string> names;
    int status;
    std::string err;  // what stderr holds
  } cases[] = {
      {"UU parts in order", {"d.001", "d.002", "d.003"}, 0, ""},
      {"UU parts reversed", {"d.003", "d.002", "d.001"}, 0, ""},
      {"message/partial shuffled", {"out.03", "out.01", "out.04", "out.02"}, 0, ""},
      {"UU part missing", {"d.003", "d.001"}, 1, "Missing part 2 of 3."},
      {"message/partial part missing", {"out.01", "out.02", "out.04"}, 1, "Missing part 3 of 4."},
      {"a file without sections is still reported",
       {"d.001", "plain.txt", "d.002", "d.003"},
       1,
       "Unable to find file header info!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir out;
    CliRun run = Twick(out, "decode --output-dir '" + out.dir() + "'" + files(c.names));
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(run.out, out.file("d.bin") + "\n");
    EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    if (c.status == 0) {
      EXPECT_TRUE(ReadFile(out.file("d.bin")) == data);
      EXPECT_EQ(run.err, "Finished Decoding!\n");
    }
  }
}

}  // namespace
}  // namespace twick
