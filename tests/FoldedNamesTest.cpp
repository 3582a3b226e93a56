// Names as mail programs write them when they are long or not ASCII: folded
// over several header lines, split into encoded words, or given twice (an
// extended value beside a plain fallback).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jobs/HeaderLines.h"
#include "jobs/MimeNames.h"
#include "tests/DecodeRun.h"
#include "tests/Fixtures.h"
#include "tests/PeerTools.h"
#include "tests/TestFiles.h"

namespace twick {
namespace {

using namespace test;

TEST(FoldedNames, HeaderBlocksGiveTheWholeName) {
  const std::string unicode =
      "\xC3\x9Cn\xC3\xAF"
      "c\xC3\xB8"
      "d\xC3\xA9 r\xC3\xA9sum\xC3\xA9.pdf";
  const std::string star = "filename*=UTF-8''%C3%9Cn%C3%AFc%C3%B8d%C3%A9%20r%C3%A9sum%C3%A9.pdf";
  struct Case {
    const char* what;
    std::vector<std::string> lines;
    std::string name;
  } cases[] = {
      {"folded quoted name, no = on the second line",
       {"Content-Disposition: attachment; filename=\"Quarterly financial report of the",
        " final v2.pdf\""},
       "Quarterly financial report of the final v2.pdf"},
      {"folded three times, tab",
       {"Content-Disposition: attachment;", " filename=\"a b", "\tc d", " e.pdf\""},
       "a b_c d e.pdf"},  // a tab is not kept in a name
      {"unquoted name on a continuation line",
       {"Content-Disposition: attachment;", "\tfilename=report.pdf"},
       "report.pdf"},
      {"an unquoted name ends with its line", {"Content-Type: x; name=abc", " def.pdf"}, "abc"},
      {"encoded words over a fold are joined",
       {"Content-Type: application/pdf; name=\"=?utf-8?Q?Quarterly_report?=",
        " =?utf-8?B?IHYyLnBkZg==?=\""},
       "Quarterly report v2.pdf"},
      {"encoded words with text between keep it",
       {"Content-Type: x; name=\"=?utf-8?Q?a?= and =?utf-8?Q?b?=.pdf\""},
       "a and b.pdf"},
      {"filename* before filename",
       {"Content-Disposition: attachment; " + star + ";", " filename=\"Unicode resume.pdf\""},
       unicode},
      {"filename* after filename, one line",
       {"Content-Disposition: attachment; filename=\"Unicode resume.pdf\"; " + star},
       unicode},
      {"filename before name",
       {"Content-Disposition: attachment; filename=\"f.pdf\"", "Content-Type: x; name=\"n.pdf\""},
       "f.pdf"},
      {"filename after name",
       {"Content-Type: x; name=\"n.pdf\"", "Content-Disposition: attachment; filename=\"f.pdf\""},
       "f.pdf"},
      {"filename after name*",
       {"Content-Type: x; name*=utf-8''n.pdf", "Content-Disposition: a; filename=\"f.pdf\""},
       "f.pdf"},
      {"name and filename on one line",
       {"Content-Type: x; name=\"a.bin\"; filename=\"b.bin\""},
       "b.bin"},
      {"quoted pieces folded, fallback after them",
       {"Content-Disposition: attachment; filename*0=\"Quarterly report of",
        " the north\"; filename*1=\"ern region.pdf\";", " filename=\"Quarterly report of...\""},
       "Quarterly report of the northern region.pdf"},
      {"encoded pieces, one a line",
       {"Content-Disposition: attachment;", " filename*0*=utf-8''r%C3%A9sum%C3%A9;",
        " filename*1*=%20final.pdf"},
       "r\xC3\xA9sum\xC3\xA9 final.pdf"},
      {"parameters after the name on a folded line",
       {"Content-Disposition: attachment; filename=\"a.pdf\"; size=3;",
        "\tcreation-date=\"Tue, 1 Dec 2026 10:00:00 GMT\""},
       "a.pdf"},
  };
  const std::string data = RandomBytes(200, 7);
  for (const Case& c : cases) {
    for (const std::string lineEnd : {"\n", "\r\n"}) {
      SCOPED_TRACE(std::string(c.what) + (lineEnd.size() == 2 ? " CRLF" : " LF"));
      std::string mail = "--b" + lineEnd + "Content-Transfer-Encoding: base64" + lineEnd;
      for (const std::string& line : c.lines) mail += line + lineEnd;
      mail += lineEnd + Base64Lines(data) + lineEnd + "--b--" + lineEnd;
      ScratchDir dir;
      Decoded d = DecodeText(dir, mail);
      EXPECT_EQ(d.written, std::vector<std::string>{dir.file(c.name)});
      EXPECT_EQ(ReadFile(dir.file(c.name)), data);
      EXPECT_TRUE(d.captions.empty());
    }
  }
}

// A quoted name that never closes stops growing where no name could need
// more, and is reported as too long.
TEST(FoldedNames, EndlessFoldIsTooLong) {
  MimeNameCollector names;
  names.Take("Content-Disposition: attachment; filename=\"a");
  for (int k = 0; k < 1000; ++k) names.Take(" " + std::string(1000, 'x'));
  EXPECT_TRUE(names.WantsContinuation());
  EXPECT_TRUE(names.NameTooLong());
  EXPECT_LE(names.Name().size(), 4 * kLongestHeaderName);
  names.Take("Content-Type: x");
  EXPECT_FALSE(names.WantsContinuation());
}

// Long names as three mail libraries fold them, each in LF and CR LF.
TEST(FoldedNames, PeersLongNamesDecodeWhole) {
  SKIP_WITHOUT_TOOLS("python3", "php", "perl");
  const std::string name =
      "Quarterly financial report of the northern region for the fiscal "
      "year final v2.pdf";
  ScratchDir src;
  WriteFile(src.file("data"), RandomBytes(5000, 9));
  WriteFile(src.file("py.py"),
            "import sys\nfrom email.mime.base import MIMEBase\n"
            "from email.mime.multipart import MIMEMultipart\nfrom email import encoders\n"
            "m = MIMEMultipart(); p = MIMEBase('application', 'pdf')\n"
            "p.set_payload(open('data', 'rb').read()); encoders.encode_base64(p)\n"
            "p.add_header('Content-Disposition', 'attachment', filename=sys.argv[1])\n"
            "m.attach(p); sys.stdout.buffer.write(m.as_bytes())\n");
  WriteFile(src.file("pm.php"),
            "<?php require '/usr/share/php/libphp-phpmailer/autoload.php';\n"
            "$m = new PHPMailer\\PHPMailer\\PHPMailer(); $m->setFrom('a@b.example');\n"
            "$m->addAddress('c@d.example'); $m->Subject = 't'; $m->Body = 'hi';\n"
            "$m->addStringAttachment(file_get_contents('data'), $argv[1]); $m->preSend();\n"
            "echo $m->getSentMIMEMessage();\n");
  WriteFile(src.file("em.pl"),
            "use Email::MIME; my $n = $ARGV[0]; open my $f, '<', 'data'; binmode $f;\n"
            "my $d = do { local $/; <$f> };\n"
            "my $p = Email::MIME->create(attributes => {content_type => 'application/pdf',\n"
            "  encoding => 'base64', disposition => 'attachment', filename => $n, name => $n},\n"
            "  body => $d);\n"
            "my $t = Email::MIME->create(attributes => {content_type => 'text/plain'}, "
            "body => 'hi');\n"
            "print Email::MIME->create(header_str => [Subject => 't'], parts => [$p, $t])"
            "->as_string;\n");
  const std::string cd = "cd '" + src.dir() + "' && ";
  for (const char* make : {"python3 py.py", "php pm.php", "perl em.pl"}) {
    ASSERT_EQ(RunShell(cd + make + " '" + name + "' | tr -d '\\r' > m.eml"), 0) << make;
    const std::string lf = ReadFile(src.file("m.eml"));
    ASSERT_NE(lf.find("\n ", lf.find("ame")), std::string::npos) << make << ": not folded";
    std::string crlf;
    for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    for (const std::string& text : {lf, crlf}) {
      SCOPED_TRACE(std::string(make) + (text.size() == lf.size() ? " LF" : " CRLF"));
      ScratchDir out;
      Decoded d = DecodeText(out, text);
      EXPECT_EQ(d.written, std::vector<std::string>{out.file(name)});
      EXPECT_EQ(ReadFile(out.file(name)), ReadFile(src.file("data")));
    }
  }
}

}  // namespace
}  // namespace twick
