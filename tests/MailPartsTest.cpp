// Mail as current programs write it: MIME header blocks in any order,
// encoded names, other encoders' banners and closing lines, check values,
// and sources with CR line ends.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jobs/DecodeJob.h"
#include "jobs/HeaderLines.h"
#include "jobs/MimeNames.h"
#include "tests/DecodeRun.h"
#include "tests/Fixtures.h"
#include "tests/PeerTools.h"
#include "tests/ScannerHarness.h"
#include "tests/TestDoubles.h"
#include "tests/TestFiles.h"

namespace twick {
namespace {

using namespace test;

std::string Part(const std::string& headers, const std::string& data) {
  return "--b\n" + headers + "\n" + Base64Lines(data) + "\n";
}

TEST(MimeBlocks, NameAndEncodingInEitherOrderWithinOnePart) {
  ScratchDir dir;
  const std::string a = RandomBytes(300, 1), b = RandomBytes(7, 2), text = "plain body\n";
  const std::string mail =
      "Content-Type: multipart/mixed; boundary=b\n\n" +
      Part("Content-Type: text/plain\nContent-Transfer-Encoding: base64\n", text) +
      Part(
          "Content-Transfer-Encoding: base64\nContent-Disposition: attachment; "
          "filename=\"a.bin\"\n",
          a) +
      Part(
          "Content-Type: application/octet-stream; name=\"b.bin\"\n"
          "Content-Transfer-Encoding: base64\n",
          b) +
      // A name with no encoding is an attachment sent as text, and does not
      // reach the next part.
      Part("Content-Disposition: attachment; filename=\"c.txt\"\n", "text, not encoded") +
      Part("Content-Transfer-Encoding: base64\n", "body without a name") + "--b--\n";
  Decoded d = DecodeText(dir, mail);
  EXPECT_EQ(d.written,
            (std::vector<std::string>{dir.file("a.bin"), dir.file("b.bin"), dir.file("c.txt")}));
  EXPECT_EQ(ReadFile(dir.file("a.bin")), a);
  EXPECT_EQ(ReadFile(dir.file("b.bin")), b);
  EXPECT_EQ(ReadFile(dir.file("c.txt")), Base64Lines("text, not encoded"));
  EXPECT_TRUE(d.captions.empty());
  EXPECT_TRUE(d.result.Complete());
}

TEST(MimeNames, EncodedParametersAndWordsGiveUtf8) {
  struct Case {
    std::vector<std::string> lines;
    std::string name;
  } cases[] = {
      {{"Content-Disposition: attachment; filename*=UTF-8''donn%C3%A9es.bin"},
       "donn\xC3\xA9"
       "es.bin"},
      {{"Content-Type: x;", " name*0*=utf-8''r%C3%A9sum%C3%A9;", " name*1=\" final.pdf\""},
       "r\xC3\xA9sum\xC3\xA9 final.pdf"},
      {{"filename*=iso-8859-1'fr'caf%E9.txt"}, "caf\xC3\xA9.txt"},
      {{"name=\"=?UTF-8?B?w7xiZXIuemlw?=\""},
       "\xC3\xBC"
       "ber.zip"},
      {{"name=\"=?iso-8859-1?Q?na=EFve_file?= =?utf-8?q?.bin?=\""}, "na\xC3\xAFve file.bin"},
      {{"filename=report.txt;x=y"}, "report.txt;x=y"},          // plain names as they always were
      {{"name=\"a.bin\"", "filename*=utf-8''b.bin"}, "b.bin"},  // the later one wins
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines.front());
    MimeNameCollector names;
    for (const auto& line : c.lines) names.Take(line);
    ASSERT_TRUE(names.HasName());
    EXPECT_EQ(names.Name(), c.name);
    EXPECT_FALSE(names.NameTooLong());
  }
  // Pieces past what a 64 KiB name needs are dropped; a new name starts afresh.
  MimeNameCollector names;
  const std::string piece = std::string(100000, 'x');
  for (int k = 0; k < 400; ++k) names.Take(" name*" + std::to_string(k) + "*=" + piece);
  EXPECT_TRUE(names.NameTooLong());
  EXPECT_EQ(names.Name(), "");
  names.Take(" name*0*=utf-8''a.bin");
  EXPECT_FALSE(names.NameTooLong());
  EXPECT_EQ(names.Name(), "a.bin");
  // Encoded names are sanitised like any other header name.
  ScannerHarness h;
  ASSERT_TRUE(h.Open("filename*=utf-8''..%2F..%2Fx.bin\nContent-Transfer-Encoding: base64\n\nAA\n",
                     kAutoDecode1));
  ASSERT_EQ(h.Next(), 1);
  EXPECT_EQ(h.section.output, h.Out("x.bin"));
}

TEST(Sections, BeginBase64EndsAtItsClosingLineInEveryMode) {
  const std::string data = RandomBytes(100, 3);
  const std::string mail = "begin-base64 644 my data.bin\n" + Base64Lines(data) +
                           "====\nnot data\n" + UUXXSection("next.bin", "more");
  for (int mode : {kAutoDecode1, kAutoDecode2}) {
    ScratchDir dir;
    Decoded d = DecodeText(dir, mail, mode);
    EXPECT_EQ(d.written, (std::vector<std::string>{dir.file("my data.bin"), dir.file("next.bin")}));
    EXPECT_EQ(ReadFile(dir.file("my data.bin")), data);
  }
}

// Without its "====" line a begin-base64 section is cut short, also at the
// end of the file and before prose, which never becomes bytes.
TEST(SectionEnds, BeginBase64WithoutItsClosingLineIsReported) {
  const std::string data = RandomBytes(100, 4);
  for (const std::string tail : {"", "Some words after it.\n"}) {
    SCOPED_TRACE(tail);
    ScratchDir dir;
    Decoded d = DecodeText(dir, "begin-base64 644 a.bin\n" + Base64Lines(data) + tail);
    EXPECT_EQ(d.written, std::vector<std::string>{dir.file("a.bin")});
    EXPECT_EQ(ReadFile(dir.file("a.bin")), data);
    EXPECT_EQ(d.captions, std::vector<std::string>{"Content Error:"});
    EXPECT_EQ(d.result.failed, 1);
  }
}

TEST(Sections, SecondAutoDecodeReportsAnUnclassifiedSectionAndGoesOn) {
  ScratchDir dir;
  const std::string mail = UUXXSection("one.bin", RandomBytes(90, 4)) +
                           "name=x\nContent-Transfer-Encoding: base64\n\nABC123\n\n" +
                           UUXXSection("two.bin", RandomBytes(90, 5));
  Decoded d = DecodeText(dir, mail, kAutoDecode2);
  EXPECT_EQ(d.written, (std::vector<std::string>{dir.file("one.bin"), dir.file("two.bin")}));
  EXPECT_EQ(d.captions, std::vector<std::string>{"Content Detection Error:"});
  EXPECT_EQ(d.result.failed, 1);
  EXPECT_FALSE(d.result.Complete());
}

std::string Hqx(const BinHexFile& file, std::string_view lineEnd = "\n") {
  return "(This file must be converted with BinHex 4.0)" + std::string(lineEnd) +
         BinHexText(file, lineEnd);
}

TEST(CheckValues, DamagedBinHexAndBtoaAreWrittenReportedAndFailed) {
  const std::string data = RandomBytes(500, 6);
  BinHexFile good("f.bin", data, "rsrc");
  BinHexFile badHeader = good;
  badHeader.headerCheck = 0x1234;
  std::string flipped = Hqx(good);
  flipped[flipped.size() / 2] = flipped[flipped.size() / 2] == 'A' ? 'B' : 'A';
  std::string btoaBad = BtoaSection("f.bin", data);
  btoaBad.replace(btoaBad.find(" E ") + 3, 1, "0");
  std::string btoaNoEnd = BtoaSection("f.bin", data);
  btoaNoEnd.erase(btoaNoEnd.find("xbtoa End"));
  // Variant 5: a check character ends every line, "xbtoa5" starts both ends.
  const std::string v5 = "xbtoa5 78 f.bin Begin\n" + BtoaLines(data, true);
  const std::string v5End = "xbtoa5" + BtoaEndLine(data).substr(5);
  std::string v5BadR = v5End;
  v5BadR.replace(v5BadR.find(" R ") + 3, 1, v5BadR[v5BadR.find(" R ") + 3] == '1' ? "2" : "1");
  struct Case {
    const char* what;
    std::string text;
    bool damaged;
  } cases[] = {
      {"BinHex whole", Hqx(good), false},
      {"BinHex CR LF", Hqx(good, "\r\n"), false},
      {"BinHex header check", Hqx(badHeader), true},
      {"BinHex data", flipped, true},
      {"BinHex cut", Hqx(good).substr(0, 200) + "\n", true},
      {"btoa whole", BtoaSection("f.bin", data), false},
      {"btoa wrong E", btoaBad, true},
      {"btoa without end line", btoaNoEnd, true},
      {"btoa5 whole", v5 + v5End, false},
      {"btoa5 wrong R", v5 + v5BadR, true},
      {"btoa5 end line without checks", v5 + v5End.substr(0, v5End.find(" E ")) + "\n", true},
      {"btoa5 without end line", v5, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    Decoded d = DecodeText(dir, c.text);
    EXPECT_EQ(d.written, std::vector<std::string>{dir.file("f.bin")});
    EXPECT_EQ(d.result.Complete(), !c.damaged);
    EXPECT_EQ(d.captions,
              c.damaged ? std::vector<std::string>{"Content Error:"} : std::vector<std::string>{});
    if (!c.damaged) {
      EXPECT_EQ(ReadFile(dir.file("f.bin")), data);
    }
  }
}

// A section missing its closing line ends at the line that opens the next
// one: it is kept, reported as cut short and failed, and the next section
// is decoded whole.
TEST(SectionEnds, ALineOpeningAnotherSectionEndsTheOpenOne) {
  const std::string a = RandomBytes(100, 20), b = RandomBytes(70, 21);
  const std::string uuA = UUXXSection("a.bin", a), uuB = UUXXSection("b.bin", b);
  const std::string uuNoEnd = uuA.substr(0, uuA.find("`\nend"));
  std::string hqxNoColon = Hqx(BinHexFile("a.bin", a));
  hqxNoColon.erase(hqxNoColon.rfind(':'), 1);
  std::string hqxCrLf = Hqx(BinHexFile("a.bin", a), "\r\n");
  hqxCrLf.erase(hqxCrLf.rfind(':'), 1);
  const std::string mimeA =
      "Content-Type: application/octet-stream; name=\"a.bin\"\n"
      "Content-Transfer-Encoding: base64\n\n" +
      Base64Lines(a);
  struct Case {
    const char* what;
    std::string text;
  } cases[] = {
      {"UU without end lines", uuNoEnd + uuB},
      {"XX without end lines", "begin 644 a.bin\n" + UUXXLines(a, XXAlphabet) + uuB},
      {"UU before begin-base64", uuNoEnd + "begin-base64 644 b.bin\n" + Base64Lines(b) + "====\n"},
      {"begin-base64 without ====", "begin-base64 644 a.bin\n" + Base64Lines(a) + uuB},
      {"begin-base64 before btoa",
       "begin-base64 644 a.bin\n" + Base64Lines(a) + BtoaSection("b.bin", b)},
      {"MIME body followed by begin", mimeA + uuB},
      {"MIME body before BinHex", mimeA + Hqx(BinHexFile("b.bin", b))},
      {"BinHex without its colon", hqxNoColon + uuB},
      {"BinHex without its colon, CR LF", hqxCrLf + uuB},
      {"btoa without its end line", "xbtoa Begin a.bin\n" + BtoaLines(a) + uuB},
      {"btoa without its end line before BinHex",
       "xbtoa Begin a.bin\n" + BtoaLines(a) + Hqx(BinHexFile("b.bin", b))},
      {"btoa without its end line before btoa",
       "xbtoa Begin a.bin\n" + BtoaLines(a) + BtoaSection("b.bin", b)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    Decoded d = DecodeText(dir, c.text);
    EXPECT_EQ(d.written, (std::vector<std::string>{dir.file("a.bin"), dir.file("b.bin")}));
    EXPECT_EQ(ReadFile(dir.file("a.bin")).substr(0, 90), a.substr(0, 90));
    EXPECT_EQ(ReadFile(dir.file("b.bin")), b);
    EXPECT_EQ(d.captions, std::vector<std::string>{"Content Error:"});
    EXPECT_EQ(d.result.failed, 1);
  }
}

// A data line whose first letters spell a header ("xbtoa" opens a btoa
// section without a blank after it) is still data: the body goes on. Long
// bodies, LF and CR LF, so that runs of lines meet such lines too.
TEST(SectionEnds, ADataLineSpellingAHeaderIsData) {
  for (const std::string& spelled :
       {std::string("\xC5\xBB\x68\x68\0\0", 6), std::string("\x5D\xB4\xE8\0\0\0", 6)}) {
    std::string a = RandomBytes(57 * 4000, 22);
    for (size_t line : {2u, 1000u, 3999u}) a.replace(57 * line, 6, spelled);  // "xbtoaA", "XbToAA"
    for (const char* lineEnd : {"\n", "\r\n"}) {
      for (const bool mime : {true, false}) {
        SCOPED_TRACE(std::string(mime ? "MIME" : "begin-base64") +
                     (lineEnd[0] == '\r' ? " CR LF" : ""));
        std::string lines = Base64Lines(a);
        std::string text = mime ? "Content-Type: application/octet-stream; name=\"a.bin\"\n"
                                  "Content-Transfer-Encoding: base64\n\n" +
                                      lines
                                : "begin-base64 644 a.bin\n" + lines + "====\n";
        if (lineEnd[0] == '\r') {
          for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
            text.insert(at, "\r");
        }
        ScratchDir dir;
        Decoded d = DecodeText(dir, text);
        EXPECT_EQ(d.written, std::vector<std::string>{dir.file("a.bin")});
        EXPECT_TRUE(ReadFile(dir.file("a.bin")) == a);
        EXPECT_TRUE(d.messages.empty());
      }
    }
  }
}

TEST(LineEnds, CarriageReturnOnlySourcesDecodeInEveryFormat) {
  const std::string data = RandomBytes(200, 8);
  const std::string sections[] = {
      UUXXSection("a.bin", data), "begin 644 b.bin\n" + UUXXLines(data, XXAlphabet) + "+\nend\n",
      BtoaSection("c.bin", data), Hqx(BinHexFile("d.bin", data)) + "\n",
      "name=e.bin\nContent-Transfer-Encoding: base64\n\n" + Base64Lines(data) + "\n"};
  std::string mail;
  for (const auto& s : sections) mail += s;
  for (char& c : mail)
    if (c == '\n') c = '\r';
  ScratchDir dir;
  Decoded d = DecodeText(dir, mail);
  EXPECT_EQ(d.written.size(), 5u);
  for (const char* name : {"a.bin", "b.bin", "c.bin", "d.bin", "e.bin"})
    EXPECT_EQ(ReadFile(dir.file(name)), data) << name;
  EXPECT_TRUE(d.result.Complete());
}

// Eleven attachments written by Python's email package, with every line end.
TEST(Peers, PythonEmailAttachmentsDecodeUnderTheirNames) {
  SKIP_WITHOUT_TOOLS("python3");
  ScratchDir dir;
  const std::string script = dir.file("make.py");
  WriteFile(script,
            "import sys\nfrom email.message import EmailMessage\nfrom email import policy\n"
            "m = EmailMessage(); m['Subject'] = 'x'; m.set_content('hi\\n')\n"
            "names = ['plain.bin', 'my file.bin', 'donn\\u00e9es.bin', 'r\\u00e9sum\\u00e9 "
            "final.pdf', 'a.txt', 'empty.dat', '\\u00fcber.zip', 'x y z.tar', "
            "'\\u65e5\\u672c.bin', 'long ' * 20 + '.doc', 'last.bin']\n"
            "for i, n in enumerate(names):\n"
            "  m.add_attachment(bytes((i * 7 + k) % 256 for k in range(i * 911)), "
            "maintype='application', subtype='octet-stream', filename=n)\n"
            "sys.stdout.buffer.write(m.as_bytes(policy=policy.SMTP).replace(b'\\r\\n', "
            "sys.argv[1].encode().decode('unicode_escape').encode()))\n");
  for (const char* lineEnd : {"\\n", "\\r\\n", "\\r"}) {
    SCOPED_TRACE(lineEnd);
    ScratchDir out;
    ASSERT_EQ(RunShell("python3 '" + script + "' '" + lineEnd + "' > '" + out.file("m.eml") + "'"),
              0);
    FakeWindow window;
    CDecodeJob job(window);
    job.m_strSource = out.file("m.eml");
    job.m_bPause = false;
    job.RunDecodeJob();
    ASSERT_EQ(job.m_result.written.size(), 11u);
    EXPECT_TRUE(job.m_result.Complete());
    EXPECT_EQ(job.m_result.written[2], out.file("donn\xC3\xA9"
                                                "es.bin"));
    EXPECT_EQ(job.m_result.written[8], out.file("\xE6\x97\xA5\xE6\x9C\xAC.bin"));
    std::string expected;
    for (int k = 0; k < 10 * 911; ++k) expected += static_cast<char>((10 * 7 + k) % 256);
    EXPECT_EQ(ReadFile(out.file("last.bin")), expected);
  }
}

// Other programs' mail, each with names that hold blanks and non-ASCII
// letters, decoded from one source holding all of it, in each line end.
TEST(Peers, OtherProducersDecodeUnderTheirNames) {
  SKIP_WITHOUT_TOOLS("uuenview", "mutt", "binhex", "uuencode");
  ScratchDir src;
  const std::vector<std::string> names = {"plain.bin", "my file.bin",
                                          "donn\xC3\xA9"
                                          "es.bin",
                                          "x y.tar"};
  std::string files;
  for (size_t k = 0; k < names.size(); ++k) {
    WriteFile(src.file(names[k]), RandomBytes(k * 1500 + 1, static_cast<unsigned>(k)));
    files += " '" + names[k] + "'";
  }
  const std::string cd = "cd '" + src.dir() + "' && ";
  // uuenview's MIME mail puts the encoding line before the name; mutt names
  // non-ASCII files with RFC 2231 parameters; binhex writes one file after
  // another; uuencode -m writes begin-base64.
  ASSERT_EQ(
      RunShell(cd + "printf 'Subject: t\\n\\nhi\\n' | uuenview -a -b" + files + " > mime.eml"), 0);
  // mutt runs its sendmail without a shell: a script saves the message.
  WriteFile(src.file("send.sh"), "#!/bin/sh\ncat > '" + src.file("mutt.eml") + "'\n");
  WriteFile(src.file("muttrc"), "set charset=utf-8\nset send_charset=utf-8\nset sendmail='" +
                                    src.file("send.sh") + "'\n");
  ASSERT_EQ(RunShell(cd + "chmod +x send.sh && HOME=. mutt -n -F muttrc -s t -a" + files +
                     " -- b@example.org < /dev/null > /dev/null 2>&1"),
            0);
  ASSERT_EQ(RunShell(cd + "binhex -d" + files + " > all.hqx"), 0);
  for (const auto& name : names)
    ASSERT_EQ(RunShell(cd + "uuencode -m '" + name + "' '" + name + "' >> b64.uue"), 0);
  for (const char* producer : {"mime.eml", "mutt.eml", "all.hqx", "b64.uue"}) {
    for (const std::string lineEnd : {"\n", "\r\n", "\r"}) {
      SCOPED_TRACE(std::string(producer) + " " + std::to_string(lineEnd.size()) +
                   (lineEnd == "\r" ? " CR" : ""));
      std::string text;
      for (char c : ReadFile(src.file(producer))) text += c == '\n' ? lineEnd : std::string(1, c);
      ScratchDir out;
      Decoded d = DecodeText(out, text);
      EXPECT_TRUE(d.result.Complete());
      ASSERT_EQ(d.written.size(), names.size());
      for (size_t k = 0; k < names.size(); ++k) {
        EXPECT_EQ(d.written[k], out.file(names[k]));
        EXPECT_EQ(ReadFile(out.file(names[k])), ReadFile(src.file(names[k]))) << names[k];
      }
    }
  }
}

}  // namespace
}  // namespace twick
