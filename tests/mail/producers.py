"""The producers of the mail tests: the payloads they send, and each mail
program or library that writes a message of them (Python's `email` package in
three styles, the mail programs through a sendmail stand-in, the Perl and PHP
libraries, mpack, uuenview, sabyenc). Each returns the message as written,
with LF line ends."""
import os
import random
import subprocess
import zlib
from email import encoders
from email.charset import QP, Charset
from email.message import EmailMessage
from email.mime.base import MIMEBase
from email.mime.multipart import MIMEMultipart
from email.mime.text import MIMEText

import sabyenc3

BIN = "data.bin"
CSV = "table.csv"
TXT = "notes.txt"
LONG = "Quarterly financial report for the northern region draft for review by the board final v2.pdf"
UNI = "Ünïcødé résumé.pdf"
IMG = "image.png"  # sent without a name
NAMED = [BIN, CSV, TXT, LONG, UNI]
TEXTS = (CSV, TXT)

BODY = "Hello,\n\nthe files are attached.\n\n-- \nSender\n"
HEAD = {"From": "Sender <sender@example.org>", "To": "someone@example.org",
        "Subject": "files", "Date": "Tue, 08 Dec 2026 12:00:00 +0000",
        "Message-ID": "<files@example.org>"}


def make_payloads(folder):
    rnd = random.Random(18)
    csv = "id,item,amount\n" + "".join("%d,Widget %d,%d.50\n" % (i, i, i * 3) for i in range(1, 60))
    txt = ("A line much longer than any mail line should be: " + "word " * 40 + "\n"
           "trailing blanks   \n"
           "equals signs: a=b, =41 is not an escape here, and one at the end =\n"
           "tab\tinside and at the end\t\n"
           "\n"
           "last line\n")
    files = {
        BIN: rnd.randbytes(60000),
        CSV: csv.encode(),
        TXT: txt.encode(),
        LONG: b"%PDF-1.4\n" + rnd.randbytes(3000),
        UNI: b"%PDF-1.4\n" + rnd.randbytes(2000),
        IMG: b"\x89PNG\r\n\x1a\n" + rnd.randbytes(1500),
    }
    os.makedirs(folder)
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    return files


# ---- producers: each returns the LF message as bytes -----------------------

def py_default(p):
    """EmailMessage with policy.default: text goes as 7bit or quoted-printable."""
    m = EmailMessage()
    for k, v in HEAD.items():
        m[k] = v
    m.set_content(BODY)
    for name in NAMED:
        if name in TEXTS:
            m.add_attachment(p[name].decode(), subtype="csv" if name == CSV else "plain",
                             filename=name)
        else:
            m.add_attachment(p[name], maintype="application", subtype="pdf" if name != BIN
                             else "octet-stream", filename=name)
    m.add_attachment(p[IMG], maintype="image", subtype="png", disposition="inline",
                     cid="<image1@example.org>")
    return m.as_bytes()


def py_compat32(p):
    """MIMEMultipart + MIMEBase + encoders.encode_base64, as old scripts do."""
    m = MIMEMultipart()
    for k, v in HEAD.items():
        m[k] = v
    m.attach(MIMEText(BODY))
    for name in NAMED:
        part = MIMEBase("application", "octet-stream")
        part.set_payload(p[name])
        encoders.encode_base64(part)
        fn = ("utf-8", "", name) if not name.isascii() else name
        part.add_header("Content-Disposition", "attachment", filename=fn)
        m.attach(part)
    img = MIMEBase("image", "png")
    img.set_payload(p[IMG])
    encoders.encode_base64(img)
    img.add_header("Content-ID", "<image1@example.org>")
    m.attach(img)
    # Text around the parts that looks like data is still no section.
    m.preamble = "This is a multi-part message in MIME format.\nQmVmb3JlIHRoZSBwYXJ0cw==\n"
    m.epilogue = "After the parts\nQWZ0ZXIgdGhlIHBhcnRz\n"
    return m.as_bytes()


def py_mimetext(p):
    """MIMEText attachments in quoted-printable, 7bit and 8bit."""
    m = MIMEMultipart()
    for k, v in HEAD.items():
        m[k] = v
    m.attach(MIMEText(BODY))
    qp = Charset("utf-8")
    qp.body_encoding = QP
    eight = Charset("utf-8")
    eight.body_encoding = None  # 8bit for text that is not ASCII
    for name, text, cs, sub in ((TXT, p[TXT].decode(), qp, "plain"),
                                (CSV, p[CSV].decode(), "us-ascii", "csv"),
                                ("copy " + TXT, p[TXT].decode() + "Grüße\n", eight, "plain")):
        part = MIMEText(text, sub, cs)
        part.add_header("Content-Disposition", "attachment", filename=name)
        m.attach(part)
    return m.as_bytes()


def yenc_posting(data, name, parts):
    """A yEnc posting in `parts` news articles, encoded by sabyenc, sent as a
    news server sends it: a line that starts with a dot gets a second one.
    sabyenc escapes a leading dot, so that escape is undone first, as an
    encoder that does not escape it would write the line."""
    size = -(-len(data) // parts)
    articles, doubled = [], 0
    for n in range(parts):
        chunk = data[n * size:(n + 1) * size]
        encoded, crc = sabyenc3.encode(chunk)
        lines = []
        for line in encoded.rstrip(b"\r\n").split(b"\r\n"):
            if line.startswith(b"=n"):
                line = b".." + line[2:]
                doubled += 1
            lines.append(line)
        head = ("From: poster@example.org\nNewsgroups: alt.binaries.test\n"
                "Subject: files - \"%s\" yEnc (%d/%d)\n\n" % (name, n + 1, parts)).encode()
        begin = "=ybegin part=%d total=%d line=128 size=%d name=%s\n" % (
            n + 1, parts, len(data), name)
        begin += "=ypart begin=%d end=%d\n" % (n * size + 1, n * size + len(chunk))
        end = "=yend size=%d part=%d pcrc32=%08x crc32=%08x\n" % (
            len(chunk), n + 1, crc, zlib.crc32(data))
        articles.append(head + begin.encode() + b"\n".join(lines) + b"\n" + end.encode())
    assert doubled, "no line starts with a dot"
    return articles


def run(cmd, env_extra=None, stdin=b"", cwd=None):
    env = dict(os.environ, LC_ALL="C.UTF-8", TZ="UTC")
    env.update(env_extra or {})
    return subprocess.run(cmd, input=stdin, cwd=cwd, env=env, check=True,
                          stdout=subprocess.PIPE).stdout


class Producers:
    """The producers that are other programs; each runs in `work`, where the
    payloads are, and sends through a sendmail stand-in that keeps the message."""

    def __init__(self, work):
        self.work = work
        self.capture = os.path.join(work, "sent.eml")
        self.mta = os.path.join(work, "sendmail")
        with open(self.mta, "w") as f:
            f.write('#!/bin/sh\ncat > "%s"\n' % self.capture)
        os.chmod(self.mta, 0o755)

    def sent(self, cmd, env=None):
        if os.path.exists(self.capture):
            os.remove(self.capture)
        run(cmd, env, BODY.encode(), self.work)
        with open(self.capture, "rb") as f:
            return f.read()

    def mutt(self, p):
        home = {"HOME": self.work, "MAILCAP": "/dev/null"}
        return self.sent(["mutt", "-n", "-F", "/dev/null", "-e", 'set sendmail="%s"' % self.mta,
                          "-e", "set from=sender@example.org use_from record= charset=utf-8",
                          "-s", "files", "-a", *NAMED, "--", "someone@example.org"], home)

    def s_nail(self, p):
        return self.sent(["s-nail", "-n", "-#", "-Smta=%s" % self.mta, "-Sttycharset=utf-8",
                          "-Sfrom=sender@example.org", "-s", "files",
                          *sum((["-a", n] for n in NAMED), []), "someone@example.org"],
                         {"HOME": self.work})

    def mailutils(self, p):
        args = ["--content-type=text/plain", "--encoding=quoted-printable", "--attach=" + TXT,
                "--content-type=text/csv", "--encoding=8bit", "--attach=" + CSV,
                "--content-type=application/octet-stream", "--encoding=base64"]
        args += ["--attach=" + n for n in (BIN, LONG, UNI)]
        args += ["--content-type=text/plain", "--encoding=8bit"]  # the body takes the last
        return self.sent(["mail", "-E", "set sendmail=sendmail:" + self.mta, "-s", "files",
                          "-r", "sender@example.org", *args, "someone@example.org"],
                         {"HOME": self.work})

    def perl(self, script):
        return run(["perl", "-CSA", "-e", script, *NAMED, IMG], None, b"", self.work)

    def mime_lite(self, p):
        return self.perl(r'''
use MIME::Lite; use Encode;
my ($bin,$csv,$txt,$long,$uni,$img) = @ARGV;
my $m = MIME::Lite->new(From=>'sender@example.org', To=>'someone@example.org',
  Subject=>'files', Type=>'multipart/mixed', Date=>'Tue, 08 Dec 2026 12:00:00 +0000');
$m->attach(Type=>'TEXT', Data=>"Hello\n");
$m->attach(Type=>'application/octet-stream', Path=>$bin, Filename=>$bin, Disposition=>'attachment');
$m->attach(Type=>'text/plain', Encoding=>'quoted-printable', Path=>$txt, Filename=>$txt, Disposition=>'attachment');
$m->attach(Type=>'text/csv', Encoding=>'8bit', Path=>$csv, Filename=>$csv, Disposition=>'attachment');
$m->attach(Type=>'application/pdf', Encoding=>'base64', Path=>$long, Filename=>$long, Disposition=>'attachment');
open my $f, '<:raw', $img or die; my $png = do { local $/; <$f> };
$m->attach(Type=>'image/png', Encoding=>'base64', Data=>$png, Disposition=>'inline', Id=>'image1@example.org');
binmode STDOUT; print $m->as_string;
''')

    def email_mime(self, p):
        return self.perl(r'''
use Email::MIME; use Encode;
my ($bin,$csv,$txt,$long,$uni,$img) = @ARGV;
sub slurp { open my $f, '<:raw', $_[0] or die; local $/; <$f> }
my @parts = (Email::MIME->create(attributes=>{content_type=>'text/plain', charset=>'US-ASCII', encoding=>'7bit'}, body=>"Hello\n"));
for ([$bin,'application/octet-stream','base64'], [$txt,'text/plain','quoted-printable'],
     [$csv,'text/csv','7bit'], [$long,'application/pdf','base64'], [$uni,'application/pdf','base64']) {
  my ($n,$t,$e) = @$_;
  push @parts, Email::MIME->create(attributes=>{content_type=>$t, encoding=>$e,
    disposition=>'attachment', filename=>$n, name=>$n}, body=>slurp($n));
}
push @parts, Email::MIME->create(attributes=>{content_type=>'image/png', encoding=>'base64',
  disposition=>'inline'}, header_str=>['Content-ID'=>'<image1@example.org>'], body=>slurp($img));
my $m = Email::MIME->create(header_str=>[From=>'sender@example.org', To=>'someone@example.org',
  Subject=>'files'], parts=>\@parts);
binmode STDOUT; print $m->as_string;
''')

    def mime_entity(self, p):
        return self.perl(r'''
use MIME::Entity;
my ($bin,$csv,$txt,$long,$uni,$img) = @ARGV;
my $m = MIME::Entity->build(From=>'sender@example.org', To=>'someone@example.org',
  Subject=>'files', Type=>'multipart/mixed');
$m->attach(Data=>"Hello\n", Type=>'text/plain');
$m->attach(Path=>$bin, Type=>'application/octet-stream', Encoding=>'base64', Filename=>$bin);
$m->attach(Path=>$txt, Type=>'text/plain', Encoding=>'quoted-printable', Filename=>$txt);
$m->attach(Path=>$csv, Type=>'text/csv', Encoding=>'7bit', Filename=>$csv);
$m->attach(Path=>$long, Type=>'application/pdf', Encoding=>'base64', Filename=>$long);
$m->attach(Path=>$img, Type=>'image/png', Encoding=>'base64', Disposition=>'inline', Filename=>undef);
binmode STDOUT; $m->print(\*STDOUT);
''')

    def phpmailer(self, p):
        script = r'''<?php
require '/usr/share/php/libphp-phpmailer/autoload.php';
use PHPMailer\PHPMailer\PHPMailer;
$m = new PHPMailer(true);
$m->CharSet = 'UTF-8';
$m->setFrom('sender@example.org'); $m->addAddress('someone@example.org');
$m->Subject = 'files'; $m->Body = "Hello\n";
$m->addAttachment($argv[1], $argv[1]);
$m->addAttachment($argv[2], $argv[2], 'quoted-printable', 'text/csv');
$m->addAttachment($argv[3], $argv[3], '8bit', 'text/plain');
$m->addAttachment($argv[4], $argv[4]);
$m->addAttachment($argv[5], $argv[5]);
$m->addStringEmbeddedImage(file_get_contents($argv[6]), 'image1', '', 'base64', 'image/png');
$m->preSend();
echo $m->getSentMIMEMessage();
'''
        return run(["php", "-r", script[5:], "--", *NAMED, IMG], None, b"", self.work)

    def mpack(self, name, *extra):
        out = os.path.join(self.work, "mpack.out")
        if os.path.exists(out):
            os.remove(out)  # mpack writes no file that exists
        run(["mpack", "-s", "files", *extra, "-o", out, name], None, b"", self.work)
        return out

    def uuenview(self, *args):
        return run(["uuenview", *args], None, b"", self.work)
