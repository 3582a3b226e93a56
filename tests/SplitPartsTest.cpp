// Files posted in several parts and saved into one source: the parts are
// joined in part order wherever they lie, each once, and missing ones are
// reported.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "jobs/DecodeJob.h"
#include "jobs/HeaderLines.h"
#include "tests/DecodeRun.h"
#include "tests/FakeWindow.h"
#include "tests/Fixtures.h"
#include "tests/PeerTools.h"
#include "tests/TestFiles.h"

namespace twick {
namespace {

using namespace test;

// Parts of one file as posting programs write them, saved into one source.
std::string Posted(const std::string& name, const std::string& data, size_t parts,
                   size_t skip = 0) {
  std::string lines = UUXXSection(name, data);
  std::vector<std::string> rows;
  for (size_t at = 0, next; at < lines.size(); at = next + 1) {
    next = lines.find('\n', at);
    rows.push_back(lines.substr(at, next - at + 1));
  }
  const size_t per = (rows.size() + parts - 1) / parts;
  std::string out;
  for (size_t p = 0; p < parts; ++p) {
    if (p + 1 == skip) continue;
    out += "Subject: " + name + " (" + std::to_string(p + 1) + "/" + std::to_string(parts) +
           ")\n\n_=_ Part " + std::to_string(p + 1) + " of " + std::to_string(parts) + " of file " +
           name + "\n\n";
    for (size_t r = p * per; r < std::min(rows.size(), (p + 1) * per); ++r) out += rows[r];
    out += "\n";
  }
  return out;
}

/// The parts of `posted`, each from the line starting with `opener` on, in
/// the given order (numbers from 1; a number may repeat or be left out).
std::string Reordered(const std::string& posted, const std::vector<int>& order,
                      const std::string& opener = "Subject: ") {
  std::vector<std::string> parts;
  for (size_t at = posted.find(opener), next; at != std::string::npos; at = next) {
    next = posted.find("\n" + opener, at);
    if (next != std::string::npos) ++next;
    parts.push_back(posted.substr(at, next == std::string::npos ? next : next - at));
  }
  std::string out;
  for (int k : order) out += parts.at(static_cast<size_t>(k - 1));
  return out;
}

/// The lines of `text` from line `from` (counted from 0) up to `to`.
std::string Lines(const std::string& text, size_t from, size_t to) {
  std::string out;
  size_t line = 0;
  for (size_t at = 0, next; at < text.size() && line < to; at = next + 1, ++line) {
    next = text.find('\n', at);
    if (line >= from) out += text.substr(at, next - at + 1);
  }
  return out;
}

// Which lines are data: part and cut lines between data lines never become
// bytes, and parts without blank lines between them are joined in order.
TEST(DataLines, OnlyDataLinesBecomeBytes) {
  const std::string g = RandomBytes(90, 30), h = RandomBytes(900, 31);
  const std::string uuG = UUXXSection("g.bin", g), uuH = UUXXSection("h.bin", h);
  const std::string b64 = RandomBytes(40, 32);
  // Blanks added at the end of every line, the header's too.
  auto blanksAdded = [](const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\n' ? std::string("   \n") : std::string(1, c);
    return out;
  };
  std::string oneCharLines;
  for (char c : Base64Lines(b64))
    if (c != '\n') oneCharLines += std::string(1, c) + "\n";
  struct Case {
    const char* what;
    std::string text;
    std::string name, data;
  } cases[] = {
      {"part and cut lines inside UU data",
       Lines(uuG, 0, 2) + "--- cut here ---\nPart 2 of 2 of file g.bin\n" + Lines(uuG, 2, 9),
       "g.bin", g},
      {"parts out of order, no blank lines",
       "Part 2 of 2 of file h.bin\n" + Lines(uuH, 12, 99) + "Part 1 of 2 of file h.bin\n" +
           Lines(uuH, 0, 12),
       "h.bin", h},
      {"parts 1, 3, 2, no blank lines",
       "Part 1 of 3 of file h.bin\n" + Lines(uuH, 0, 8) + "Part 3 of 3 of file h.bin\n" +
           Lines(uuH, 16, 99) + "Part 2 of 3 of file h.bin\n" + Lines(uuH, 8, 16),
       "h.bin", h},
      {"parts 2, 1, 3, no blank lines",
       "Part 2 of 3 of file h.bin\n" + Lines(uuH, 8, 16) + "Part 1 of 3 of file h.bin\n" +
           Lines(uuH, 0, 8) + "Part 3 of 3 of file h.bin\n" + Lines(uuH, 16, 99),
       "h.bin", h},
      {"three parts backwards, no blank lines",
       "Part 3 of 3 of file h.bin\n" + Lines(uuH, 16, 99) + "Part 2 of 3 of file h.bin\n" +
           Lines(uuH, 8, 16) + "Part 1 of 3 of file h.bin\n" + Lines(uuH, 0, 8),
       "h.bin", h},
      {"UU lines with blanks added", blanksAdded(uuH), "h.bin", h},
      {"XX lines with blanks added", blanksAdded(UUXXSection("x.bin", g, XXAlphabet)), "x.bin", g},
      {"Base64 one character per line", "begin-base64 644 c.bin\n" + oneCharLines + "====\n",
       "c.bin", b64},
      {"MIME Base64 one character per line",
       "name=c.bin\nContent-Transfer-Encoding: base64\n\n" + oneCharLines, "c.bin", b64},
      {"part and cut lines inside MIME Base64",
       "name=g.bin\nContent-Transfer-Encoding: base64\n\n" + Lines(Base64Lines(g), 0, 1) +
           "Part 2 of 3\n--- cut here ---\nnote: more below\n" + Lines(Base64Lines(g), 1, 9),
       "g.bin", g},
      {"cut line inside begin-base64",
       "begin-base64 644 g.bin\n" + Lines(Base64Lines(g), 0, 1) + "--- cut here ---\n" +
           Lines(Base64Lines(g), 1, 9) + "====\n",
       "g.bin", g},
      {"blank lines before ====", "begin-base64 644 g.bin\n" + Base64Lines(g) + "\n\n====\n",
       "g.bin", g},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    Decoded d = DecodeText(dir, c.text);
    EXPECT_EQ(d.written, std::vector<std::string>{dir.file(c.name)});
    EXPECT_EQ(ReadFile(dir.file(c.name)), c.data);
    EXPECT_TRUE(d.captions.empty());
    EXPECT_TRUE(d.result.Complete());
  }
}

// Decoded by hand, a section whose lines are another format's data is
// reported, not saved as a file that looks whole; a UU section of an empty
// file is whole.
TEST(DataLines, ASectionWithoutDataLinesIsReported) {
  const struct {
    const char* what;
    std::string text;
    int format;
    bool reported;
  } cases[] = {
      {"XX data read as UU", UUXXSection("x.bin", RandomBytes(200, 33), XXAlphabet), kFormatUU,
       true},
      {"an empty file", "begin 644 x.bin\n`\nend\n", kFormatUU, false},
      {"UU data read as BinHex", UUXXLines(RandomBytes(200, 34), UUAlphabet), kFormatBinHex, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    WriteFile(dir.file("mail.txt"), c.text);
    FakeWindow window;
    CDecodeJob job(window);
    job.m_strSource = dir.file("mail.txt");
    job.m_bPause = false;
    job.m_nAutoMode = kAutoOff;
    job.m_nCodeFormat = c.format;
    job.RunDecodeJob();
    EXPECT_EQ(job.m_result.failed, c.reported ? 1 : 0);
    EXPECT_EQ(window.messages.size(), c.reported ? 1u : 0u);
  }
}

TEST(SplitPostings, PartsAreJoinedInPartOrderAndGapsReported) {
  const std::string data = RandomBytes(45 * 40, 7);
  const std::string posted = Posted("big.bin", data, 4);
  {
    // Two different copies of one part are reported, never settled silently.
    const std::string other = Posted("big.bin", RandomBytes(45 * 40, 9), 4);
    for (int part : {1, 3}) {
      SCOPED_TRACE(part);
      ScratchDir dir;
      Decoded d = DecodeText(dir, posted + Reordered(other, {part}));
      EXPECT_EQ(d.captions, std::vector<std::string>{"Content Error:"});
      EXPECT_EQ(d.result.failed, 1);
      EXPECT_EQ(ReadFile(dir.file("big.bin")), data);
    }
  }
  // In order, shuffled with part 1 inside, a part twice: each part is read
  // once, and the search goes on after the last one.
  for (const auto& order :
       {std::vector<int>{1, 2, 3, 4}, {1, 3, 2, 4}, {3, 1, 4, 2, 3}, {1, 2, 1, 3, 4}}) {
    SCOPED_TRACE(order.size() * 10 + static_cast<size_t>(order[1]));
    ScratchDir dir;
    Decoded d = DecodeText(dir, Reordered(posted, order) + UUXXSection("after.bin", "x"));
    EXPECT_EQ(ReadFile(dir.file("big.bin")), data);
    EXPECT_EQ(d.written, (std::vector<std::string>{dir.file("big.bin"), dir.file("after.bin")}));
    EXPECT_TRUE(d.captions.empty());
    EXPECT_TRUE(d.result.Complete());
  }
  {
    // Two files in as many parts, one after the other: neither takes the
    // other's parts for its own.
    const std::string second = RandomBytes(45 * 40, 8);
    ScratchDir dir;
    Decoded d = DecodeText(dir, posted + Posted("two.bin", second, 4));
    EXPECT_EQ(ReadFile(dir.file("big.bin")), data);
    EXPECT_EQ(ReadFile(dir.file("two.bin")), second);
    EXPECT_TRUE(d.result.Complete());
  }
  for (const auto& order : {std::vector<int>{1, 3, 4}, {1, 2, 3}, {2, 4, 1}}) {
    SCOPED_TRACE(order[1]);
    ScratchDir dir;
    Decoded d = DecodeText(dir, Reordered(posted, order));
    EXPECT_EQ(d.captions, std::vector<std::string>{"Content Error:"});
    EXPECT_EQ(d.result.failed, 1);
    EXPECT_LT(ReadFile(dir.file("big.bin")).size(), data.size());
  }
  int part = 0, total = 0;
  EXPECT_TRUE(ParsePartMarker("Subject: big.bin [02/24]", part, total));
  EXPECT_EQ(part * 100 + total, 224);
  EXPECT_TRUE(ParsePartMarker("section 3 of 7 of file x  < uuenview >", part, total));
  EXPECT_TRUE(ParsePartMarker("Subject: [1/3] - \"pics.zip\" (02/24)", part, total));
  EXPECT_EQ(part * 100 + total, 224);
  EXPECT_FALSE(ParsePartMarker("Subject: see (1/2 of the budget)", part, total));
}

// A last part that holds only the closing lines is a part; part 1 posted
// again, with a line the part search cannot read as data, does not take
// the sections after it.
TEST(SplitPostings, ClosingLinePartsAndRepeatedFirstParts) {
  auto part = [](int k, const std::string& body) {
    return "Subject: s.bin (" + std::to_string(k) + "/2)\n\n" + body + "\n";
  };
  const std::string first = part(1, "begin 644 s.bin\n#86)C\n");  // "abc", a short line
  const std::string last = part(2, "`\nend\n");
  const std::string after = UUXXSection("t.bin", "xyz");
  // The copy of part 1 is decoded as a file of its own, whose part 2 lies
  // before it: reported, and everything is saved.
  const struct {
    std::string text;
    bool reported;
  } cases[] = {{last + first + after, false},
               {first + last + after, false},
               {last + first + first + after, true},
               // Part 2 starts with a line the part search cannot read as
               // data: not found, so reported, never skipped to its end line.
               {part(2, "#86)\n`\nend\n") + first + after, true}};
  for (const auto& c : cases) {
    ScratchDir dir;
    Decoded d = DecodeText(dir, c.text);
    EXPECT_EQ(ReadFile(dir.file("s.bin")), "abc");
    EXPECT_EQ(ReadFile(dir.file("t.bin")), "xyz");
    EXPECT_EQ(d.captions.size(), c.reported ? 1u : 0u);
  }
}

/// One line of UU data in each of the given parts of `total`, each under
/// its "(k/total)" Subject line; part 1 holds the begin line.
std::string LinePerPart(const std::vector<int>& parts, int total) {
  std::string text;
  for (int k : parts) {
    text += "Subject: p.bin (" + std::to_string(k) + "/" + std::to_string(total) + ")\n\n";
    if (k == 1) text += "begin 644 p.bin\n";
    text += "M" + std::string(60, 'A') + "\n\n";
  }
  return text;
}

TEST(SplitPostings, MissingPartsAreListedWithTheirRuns) {
  std::vector<int> odd;
  for (int k = 1; k <= 50; k += 2) odd.push_back(k);
  struct Case {
    std::vector<int> parts;
    int total;
    std::string detail;
  } cases[] = {
      {{1, 3}, 4, "Missing parts 2, 4 of 4."},
      {{1, 2, 3}, 4, "Missing part 4 of 4."},
      {{1, 4}, 5, "Missing parts 2, 3, 5 of 5."},
      {{1, 6, 10}, 12, "Missing parts 2-5, 7-9, 11, 12 of 12."},
      {odd, 50,
       "Missing parts 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30, 32, 34, 36, 38, "
       "40, ... of 50."},
      {{1, 2}, 999999, "Missing parts 3-999999 of 999999."},
      {{1, 1234566}, 1234567, "Missing parts 2-1234565, 1234567 of 1234567."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.detail);
    ScratchDir dir;
    WriteFile(dir.file("mail.txt"), LinePerPart(c.parts, c.total));
    FakeWindow window;
    CDecodeJob job(window);
    job.m_strSource = dir.file("mail.txt");
    job.m_bPause = false;
    job.RunDecodeJob();
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].text, "The encoded data ends before the file is complete:\n" +
                                           dir.file("p.bin") + "\n" + c.detail +
                                           "\nThe file was saved, but it is incomplete.");
    EXPECT_EQ(job.m_result.failed, 1);
  }
}

/// A Base64 file posted in parts: numbered by message/partial headers with
/// `id`, or only by the Subject line when `id` is empty. Only part 1 has the
/// name and the encoding.
std::string Base64Posted(const std::string& data, int parts, const std::string& id) {
  const std::string lines = Base64Lines(data);
  const size_t per = (lines.size() / 77 + static_cast<size_t>(parts) - 1) / parts * 77;
  std::string out;
  for (int p = 1; p <= parts; ++p) {
    const std::string k = std::to_string(p), n = std::to_string(parts);
    out += "Subject: b64.bin (" + k + "/" + n + ")\n";
    if (!id.empty())
      out += "Content-Type: message/partial; number=" + k + "; total=" + n + ";\n\tid=\"" + id +
             "\"\n\n";
    if (p == 1)
      out +=
          "Content-Type: application/octet-stream; name=\"b64.bin\"\n"
          "Content-Transfer-Encoding: base64\n";
    out += "\n" + lines.substr(static_cast<size_t>(p - 1) * per, per) + "\n";
  }
  return out;
}

TEST(SplitPostings, Base64PartsAreJoinedOnlyWhenMarked) {
  const std::string data = RandomBytes(57 * 30, 9);
  const std::string partial = Base64Posted(data, 3, "a@b"), subject = Base64Posted(data, 3, "");
  const std::string other = Base64Posted(RandomBytes(57 * 30, 10), 3, "c@d");
  const std::string bare = "\n" + Base64Lines(RandomBytes(300, 11)) + "\n";
  struct Case {
    const char* what;
    std::string text;
    size_t bytes;  // of b64.bin
    bool complete;
  } cases[] = {
      {"message/partial shuffled", Reordered(partial, {3, 1, 2}), data.size(), true},
      {"Subject markers", subject + "\n" + bare, data.size(), true},
      {"unmarked body is not a part", Reordered(subject, {1}) + bare, data.size() / 3, false},
      {"another id is not a part", Reordered(partial, {1}) + Reordered(other, {2, 3}),
       data.size() / 3, false},
      {"unnumbered attachment stays whole",
       "name=b64.bin\nContent-Transfer-Encoding: base64\n\n" + Base64Lines(data) + bare,
       data.size(), true},
      {"attachment under a numbered Subject",
       "Subject: b64.bin (1/2)\n\n--b\nname=b64.bin\nContent-Transfer-Encoding: base64\n\n" +
           Base64Lines(data) + "\n--b--\n",
       data.size(), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    Decoded d = DecodeText(dir, c.text);
    EXPECT_EQ(d.written, std::vector<std::string>{dir.file("b64.bin")});
    EXPECT_EQ(ReadFile(dir.file("b64.bin")), data.substr(0, c.bytes));
    EXPECT_EQ(d.result.Complete(), c.complete);
  }
}

// uuenview's parts of a 1 MiB file, saved into one source in a shuffled
// order: UU parts as it writes them to files, Base64 parts as it posts them
// (message/partial), in LF and CR LF.
TEST(Peers, UuenviewPartsAreJoinedInPartOrder) {
  SKIP_WITHOUT_TOOLS("uuenview");
  ScratchDir src;
  const std::string data = RandomBytes(1 << 20, 12);
  WriteFile(src.file("d.bin"), data);
  WriteFile(src.file("inews.sh"), "#!/bin/sh\ncat >> '" + src.file("posted.txt") + "'\necho >> '" +
                                      src.file("posted.txt") + "'\n");
  const std::string cd = "cd '" + src.dir() + "' && ";
  ASSERT_EQ(RunShell(cd + "uuenview -u -1000 -o d.bin >/dev/null 2>&1"), 0);
  ASSERT_EQ(RunShell(cd + "chmod +x inews.sh && INEWS='" + src.file("inews.sh") +
                     "' uuenview -b -1000 -p alt.test d.bin >/dev/null 2>&1"),
            0);
  std::string uu;
  for (int k = 1; std::filesystem::exists(
           src.file("d.0" + std::string(k < 10 ? "0" : "") + std::to_string(k)));
       ++k)
    uu += ReadFile(src.file("d.0" + std::string(k < 10 ? "0" : "") + std::to_string(k)));
  const std::string posted = ReadFile(src.file("posted.txt"));
  struct Source {
    std::string text, opener;
  } sources[] = {{uu, "_=_ \n_=_ Part"}, {posted, "Newsgroups: "}};
  for (const Source& source : sources) {
    std::vector<int> order;
    for (size_t at = source.text.find(source.opener); at != std::string::npos;
         at = source.text.find("\n" + source.opener, at + 1))
      order.push_back(static_cast<int>(order.size()) + 1);
    ASSERT_GE(order.size(), 15u);
    std::shuffle(order.begin(), order.end(), std::mt19937(5));
    if (order.front() == 1) std::swap(order.front(), order[order.size() / 2]);
    const std::string shuffled = Reordered(source.text, order, source.opener);
    for (const std::string lineEnd : {"\n", "\r\n"}) {
      SCOPED_TRACE(source.opener + std::to_string(lineEnd.size()));
      std::string text;
      for (char c : shuffled) text += c == '\n' ? lineEnd : std::string(1, c);
      ScratchDir out;
      Decoded d = DecodeText(out, text);
      EXPECT_EQ(d.written, std::vector<std::string>{out.file("d.bin")});
      EXPECT_TRUE(d.result.Complete());
      EXPECT_TRUE(ReadFile(out.file("d.bin")) == data);
    }
    // Without one of its parts the file is reported and the job fails.
    order.erase(order.begin() + 3);
    ScratchDir out;
    Decoded d = DecodeText(out, Reordered(source.text, order, source.opener));
    EXPECT_EQ(d.captions, std::vector<std::string>{"Content Error:"});
    EXPECT_FALSE(d.result.Complete());
  }
}

}  // namespace
}  // namespace twick
