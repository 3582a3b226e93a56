// MIME parts beyond named Base64: attachments sent as text, parts without a
// name, transfer encodings the program does not know, and the epilogue. Each
// mail is decoded with LF and with CR LF line ends, and every named file is
// checked against what Python's email package makes of the same bytes.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/Messages.h"
#include "tests/DecodeRun.h"
#include "tests/PeerTools.h"

namespace twick {
namespace {

using namespace test;

const char* const kHead =
    "MIME-Version: 1.0\nContent-Type: multipart/mixed;\n boundary=\"=-=B1=-=\"\n\npreamble\n";

std::string WithLineEnd(std::string text, bool crlf) {
  if (!crlf) return text;
  std::string out;
  for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

/// Every named leaf part of the mail in `path`, as Python decodes it, saved
/// under its name in `folder`.
void PythonPayloads(const std::string& path, const std::string& folder) {
  const std::string script = folder + "/payloads.py";
  WriteFile(script,
            "import email, email.policy, os, sys\n"
            "m = email.message_from_bytes(open(sys.argv[1], 'rb').read(), "
            "policy=email.policy.compat32)\n"
            "for p in m.walk():\n"
            "  if not p.is_multipart() and p.get_filename():\n"
            "    open(os.path.join(sys.argv[2], p.get_filename()), 'wb')"
            ".write(p.get_payload(decode=True))\n");
  ASSERT_EQ(RunShell("python3 '" + script + "' '" + path + "' '" + folder + "'"), 0);
}

TEST(MimeTextParts, SavedAsPythonGivesThem) {
  SKIP_WITHOUT_TOOLS("python3");
  const std::string h = kHead;
  const struct {
    const char* name;
    std::string mail;
    /// Outputs in order; those Python names too are compared with its bytes.
    std::vector<std::string> written;
    /// Bytes of outputs Python does not name.
    std::map<std::string, std::string> unnamed;
    bool complete;
  } cases[] = {
      {"QuotedPrintable",
       h + "--=-=B1=-=\nContent-Type: text/plain\n\nthe message's text\n\n--=-=B1=-=\n"
           "Content-Type: text/csv; name=\"r.csv\"\nContent-Transfer-Encoding: quoted-printable\n"
           "\na=3Db,c  \nsoft=\n break=\n=C3=A9t=e9 =XZ ==41 = x\nend=\n--=-=B1=-=--\n",
       {"r.csv"},
       {},
       true},
      {"SevenBitKeepsDashLinesAndTrailingBlankLine",
       h + "--=-=B1=-=\nContent-Disposition: attachment; filename=notes.txt\n"
           "Content-Transfer-Encoding: 7bit\n\nline one\n-- not a boundary\n--=-=B1=-=x\n\nlast\n\n"
           "--=-=B1=-=--\nepilogue\n",
       {"notes.txt"},
       {},
       true},
      {"EightBitAndBinary",
       h + "--=-=B1=-=\nContent-Type: text/plain; charset=utf-8; name=u.txt\n"
           "Content-Transfer-Encoding: 8bit\n\n\xC3\xA9t\xC3\xA9\n--=-=B1=-= \t\n"
           "Content-Type: application/octet-stream; name=b.bin\nContent-Transfer-Encoding: "
           "BINARY\n\n\x01\x02=41\n--=-=B1=-=--\n",
       {"u.txt", "b.bin"},
       {},
       true},
      {"NoTransferEncodingRunsToTheEnd",
       h + "--=-=B1=-=\nContent-Disposition: attachment; filename=\"tail.txt\"\n\n"
           "no cte=41\n\n",
       {"tail.txt"},
       {},
       true},
      {"UnnamedPartsTakeNumberedNames",
       h + "--=-=B1=-=\nContent-Type: text/html\nContent-Transfer-Encoding: base64\n\n"
           "PHA+aGk8L3A+\n--=-=B1=-=\nContent-Type: image/png\nContent-ID: <x>\n"
           "Content-Transfer-Encoding: base64\n\naGVsbG8gaW1hZ2U=\n--=-=B1=-=\n"
           "Content-Disposition: attachment\nContent-Transfer-Encoding: base64\n\nc2Vjb25k\n"
           "--=-=B1=-=\nContent-Disposition: attachment\n\nthird\n--=-=B1=-=--\n",
       {"mail", "mail-1", "mail-2"},
       {{"mail", "hello image"}, {"mail-1", "second"}, {"mail-2", "third"}},
       true},
      {"UnknownEncodingIsReported",
       h + "--=-=B1=-=\nContent-Type: application/pdf; name=\"x.pdf\"\n"
           "Content-Transfer-Encoding: base32\n\nNBSWY3DP\n--=-=B1=-=\n"
           "Content-Type: text/plain; name=ok.txt\n\nfine\n--=-=B1=-=--\n",
       {"ok.txt"},
       {},
       false},
      {"NestedAndForwardedParts",
       "Content-Type: multipart/mixed; boundary=outer\n\n--outer\nContent-Type: "
       "multipart/alternative; boundary=\"inner\"\n\n--inner\nContent-Type: text/plain\n\nbody\n"
       "--inner\nContent-Type: text/html\n\n<p>body</p>\n--inner--\n\n--outer\n"
       "Content-Type: application/zip; name=z.zip\nContent-Transfer-Encoding: base64\n\nUEsD\n"
       "--outer\nContent-Type: message/rfc822\nContent-Disposition: attachment\n\n"
       "Subject: fwd\nContent-Type: multipart/mixed; boundary=fwd\n\n--fwd\n"
       "Content-Type: text/plain; name=in.txt\nContent-Transfer-Encoding: quoted-printable\n\n"
       "inner=20text\n--fwd--\n\n--outer--\n",
       {"z.zip", "in.txt"},
       {},
       true},
      // A delimiter of the outer multipart ends the inner one: a later
      // "--i" line is text of the outer part.
      {"OuterDelimiterEndsNestedParts",
       "Content-Type: multipart/mixed; boundary=o\n\n--o\nContent-Type: multipart/mixed; "
       "boundary=i\n\n--i\nContent-Type: text/plain\n\ntext\n--o\nContent-Type: text/plain\n\n"
       "more\n--i\nContent-Disposition: attachment; filename=late.txt\n\nlate\n--o--\n",
       {},
       {},
       false},
      // An inner multipart that reuses the outer boundary closes it: the
      // named part after it lies in the epilogue.
      {"EpilogueIsNoPart",
       "Content-Type: multipart/mixed; boundary=\"B\"\n\n--B\nContent-Type: "
       "multipart/alternative; boundary=\"B\"\n\n--B\nContent-Type: text/plain\n\ntext\n--B--\n\n"
       "--B\nContent-Type: image/gif; name=\"xx.gif\"\nContent-Disposition: attachment\n"
       "Content-Transfer-Encoding: base64\n\nR0lGODlh\n\n--B--\n"
       "--B\nContent-Disposition: attachment; filename=junk.txt\n\njunk\n",
       {},
       {},
       false},
  };
  for (const auto& c : cases) {
    for (bool crlf : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (crlf ? " CR LF" : " LF"));
      ScratchDir dir, python;
      const Decoded d = DecodeText(dir, WithLineEnd(c.mail, crlf));
      PythonPayloads(dir.file("mail.txt"), python.file(""));
      std::vector<std::string> expected;
      for (const std::string& name : c.written) expected.push_back(dir.file(name));
      EXPECT_EQ(d.written, expected);
      for (const std::string& name : c.written) {
        const auto unnamed = c.unnamed.find(name);
        const std::string want =
            unnamed != c.unnamed.end() ? unnamed->second : ReadFile(python.file(name));
        EXPECT_EQ(ReadFile(dir.file(name)), want) << name;
      }
      EXPECT_EQ(d.result.Complete(), c.complete);
    }
  }
}

TEST(MimeTextParts, UnknownEncodingNamesTheAttachment) {
  ScratchDir dir;
  const Decoded d = DecodeText(dir, std::string(kHead) +
                                        "--=-=B1=-=\nContent-Disposition: attachment; "
                                        "filename=a.gz\nContent-Transfer-Encoding: x-gzip64\n\n"
                                        "H4sI\n--=-=B1=-=--\n");
  EXPECT_TRUE(d.written.empty());
  EXPECT_EQ(d.captions, std::vector<std::string>{kContentErrorCaption});
  EXPECT_EQ(d.result.failed, 1);
}

}  // namespace
}  // namespace twick
