#!/usr/bin/python3
"""Makes mail the way today's mail programs write it, and the table of what
`twick decode` must make of each message.

usage: make_mail.py OUTDIR

OUTDIR gets payloads/ (the files that are sent), mail/ (every message, each
in LF and in CR LF), expected/ (the bytes a producer legitimately changed,
as Python's `email` package reads them) and table.json: one row per run of
`twick decode`, with the mail files given together, the extra options, the
exit status, and every output name with the file that holds its bytes.
Nothing here comes from twick itself.
"""
import json
import os
import shutil
import sys
from email import policy
from email.message import EmailMessage
from email.parser import BytesParser

sys.dont_write_bytecode = True  # nothing is written into the source tree
from producers import (BIN, BODY, CSV, IMG, LONG, NAMED, TEXTS, TXT, UNI,  # noqa: E402
                       Producers, make_payloads, py_compat32, py_default, py_mimetext, run,
                       yenc_posting)


# ---- the table -----------------------------------------------------------------

class Table:
    def __init__(self, out):
        self.out = out
        self.rows = []

    def write_mail(self, name, data):
        path = os.path.join(self.out, "mail", name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def python_bytes(self, mail, filename):
        """The bytes Python's email package reads for the part named `filename`
        (parsed from bytes: a file object would have its CR LF turned into LF)."""
        with open(mail, "rb") as f:
            msg = BytesParser(policy=policy.default).parsebytes(f.read())
        found = [p.get_payload(decode=True) for p in msg.walk()
                 if not p.is_multipart() and p.get_filename() == filename]
        if len(found) != 1:
            sys.exit("make_mail: %s has %d parts named %r" % (mail, len(found), filename))
        return found[0]

    def expected_file(self, mail, name, data):
        folder = os.path.join(self.out, "expected", os.path.basename(mail))
        os.makedirs(folder, exist_ok=True)
        path = os.path.join(folder, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def add(self, mails, files, status=0, args=(), texts=()):
        """One run of twick on `mails` (paths): `files` maps each output name
        to a payload; names in `texts` take Python's reading of the first
        mail instead (their line ends follow the mail's)."""
        want = {}
        for name, payload in files.items():
            if name in texts:
                data = self.python_bytes(mails[0], name)
                want[name] = self.expected_file(mails[0], name, data)
            else:
                want[name] = os.path.join(self.out, "payloads", payload)
        self.rows.append({"mails": [os.path.relpath(m, self.out) for m in mails],
                          "args": list(args), "status": status,
                          "files": {n: os.path.relpath(p, self.out) for n, p in want.items()}})

    def add_both(self, name, lf, files, texts=(), unnamed=None, status=0, mime=True, args=()):
        """The message as written (LF) and with CR LF line ends; in MIME mail
        every output name must be a name Python's email package reads."""
        if mime:
            for n in files:
                self.python_bytes(self.write_mail(name + ".eml", lf), n)
        crlf = lf.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
        for suffix, data in (("", lf), ("-crlf", crlf)):
            mail = self.write_mail(name + suffix + ".eml", data)
            want = dict(files)
            if unnamed:  # a part without a name takes the source's base name
                want[name + suffix] = unnamed
            self.add([mail], want, status, args, texts)


def same(names):
    return {n: n for n in names}


def build(out):
    for sub in ("mail", "expected"):
        os.makedirs(os.path.join(out, sub))
    payloads = os.path.join(out, "payloads")
    p = make_payloads(payloads)
    work = os.path.join(out, "work")
    shutil.copytree(payloads, work)
    t = Table(out)
    prod = Producers(work)

    # MIME mail from mail programs and libraries.
    t.add_both("python-default", py_default(p), same(NAMED), texts=TEXTS, unnamed=IMG)
    t.add_both("python-compat32", py_compat32(p), same(NAMED), unnamed=IMG)
    t.add_both("python-mimetext", py_mimetext(p), {TXT: TXT, CSV: CSV, "copy " + TXT: TXT},
               texts=(TXT, CSV, "copy " + TXT))
    t.add_both("mutt", prod.mutt(p), same(NAMED), texts=TEXTS)
    t.add_both("s-nail", prod.s_nail(p), same(NAMED), texts=TEXTS)
    t.add_both("mailutils", prod.mailutils(p), same(NAMED), texts=TEXTS)
    t.add_both("mime-lite", prod.mime_lite(p), same([BIN, TXT, CSV, LONG]), texts=TEXTS,
               unnamed=IMG)
    # Python's reader loses the second section of Email::MIME's folded long name.
    t.add_both("email-mime", prod.email_mime(p), same(NAMED), texts=TEXTS, unnamed=IMG,
               mime=False)
    t.add_both("mime-entity", prod.mime_entity(p), same([BIN, TXT, CSV, LONG]), texts=TEXTS,
               unnamed=IMG)
    t.add_both("phpmailer", prod.phpmailer(p), same(NAMED), texts=TEXTS, unnamed=IMG)

    # mpack: one file per message; a split posting as message/partial.
    for label, name in (("mpack", BIN), ("mpack-long", LONG), ("mpack-unicode", UNI)):
        with open(prod.mpack(name), "rb") as f:
            t.add_both(label, f.read(), {name: name})
    prod.mpack(BIN, "-m", "20000")
    parts = sorted(f for f in os.listdir(work) if f.startswith("mpack.out.") and f[-1].isdigit())
    partials = [open(os.path.join(work, f), "rb").read() for f in parts]
    assert len(partials) >= 3, parts
    files = [t.write_mail("mpack-partial.%d" % (i + 1), d) for i, d in enumerate(partials)]
    t.add(files, {BIN: BIN})
    t.add(list(reversed(files)), {BIN: BIN})
    t.add([t.write_mail("mpack-partial.mbox", mbox(partials))], {BIN: BIN})
    t.add([t.write_mail("mpack-partial-reversed.mbox", mbox(partials[::-1]))], {BIN: BIN})

    # uuenview: plain encodings, MIME attachment, split postings, yEnc.
    for flag, label in (("-u", "uu"), ("-x", "xx"), ("-y", "yenc")):
        t.add_both("uuenview-" + label, prod.uuenview(flag, BIN), {BIN: BIN}, mime=False)
    # Bare Base64 has no header to find: it is decoded as the whole file.
    t.add_both("uuenview-base64", prod.uuenview("-b", BIN), {}, unnamed=BIN, mime=False,
               args=["--mode", "off", "--format", "base64"])
    t.add_both("uuenview-attach", run(["uuenview", "-a", "-b", BIN, LONG],
                                      None, b"Subject: files\n\nHello\n", work),
               same([BIN, LONG]))
    for flag, label in (("-u", "uu"), ("-y", "yenc")):
        split = os.path.join(work, "split-" + label)
        os.makedirs(split)
        prod.uuenview(flag, "-200", "-od", split, BIN)
        chunks = [open(os.path.join(split, f), "rb").read() for f in sorted(os.listdir(split))]
        assert len(chunks) >= 2, label
        files = [t.write_mail("uuenview-%s-split.%d" % (label, i + 1), c)
                 for i, c in enumerate(chunks)]
        t.add(files[::-1], {BIN: BIN})  # several files, parts in any order
        t.add([t.write_mail("uuenview-%s-split-reversed" % label, b"".join(chunks[::-1]))],
              {BIN: BIN})
    posting = yenc_posting(p[BIN], BIN, 3)
    t.add_both("yenc-news", b"\n".join(posting[::-1]), {BIN: BIN}, mime=False)
    files = [t.write_mail("yenc-news.%d" % (i + 1), a) for i, a in enumerate(posting)]
    t.add(files[1:] + files[:1], {BIN: BIN})
    yenc = prod.uuenview("-y", LONG)
    t.add_both("uuenview-yenc-long", yenc, {LONG: LONG}, mime=False)

    # sharutils and macutils.
    t.add_both("uuencode", run(["uuencode", BIN, BIN], cwd=work), {BIN: BIN}, mime=False)
    t.add_both("uuencode-base64", run(["uuencode", "-m", BIN, BIN], cwd=work), {BIN: BIN},
               mime=False)
    hqx = run(["binhex", "-d", BIN], cwd=work).split(b"\n", 1)[1]
    hqx = b"(This file must be converted with BinHex 4.0)\n" + hqx.lstrip(b"\n")
    t.add_both("binhex", hqx, {BIN: BIN}, mime=False)
    t.add([t.write_mail("binhex-cr.hqx", hqx.replace(b"\n", b"\r"))], {BIN: BIN})

    # Mailboxes: a `From ` line ends a section, even an empty one.
    with open(os.path.join(payloads, "empty.bin"), "wb"):
        pass
    empty = EmailMessage()
    empty["Subject"] = "empty"
    empty.set_content(b"", maintype="application", subtype="octet-stream",
                      disposition="attachment", filename="empty.bin")
    t.add([t.write_mail("empty-then-next.mbox", mbox([empty.as_bytes(), py_compat32(p)]))],
          dict(same(NAMED), **{"empty.bin": "empty.bin", "empty-then-next": IMG}))

    # No silent skips: an encoding twick cannot decode fails the run; --list
    # fails when it finds nothing, and never says a file was saved.
    odd = EmailMessage()
    odd.set_content(BODY)
    odd.add_attachment(p[BIN], maintype="application", subtype="octet-stream", filename=BIN)
    odd.add_attachment(p[LONG], maintype="application", subtype="pdf", filename="report.pdf")
    odd_bytes = odd.as_bytes().replace(b"Content-Transfer-Encoding: base64",
                                       b"Content-Transfer-Encoding: x-gzip64", 1)
    t.add([t.write_mail("unknown-encoding.eml", odd_bytes)], {"report.pdf": LONG}, status=1)
    plain = EmailMessage()
    plain.set_content(BODY)
    t.add([t.write_mail("no-attachment.eml", plain.as_bytes())], {}, status=1, args=["--list"])
    t.add([os.path.join(out, "mail", "uuenview-uu-split.1")], {}, status=1, args=["--list"])

    shutil.rmtree(work)
    with open(os.path.join(out, "table.json"), "w") as f:
        json.dump(t.rows, f, indent=1, ensure_ascii=False)


def mbox(messages):
    """Messages in one mbox file, each after its `From ` line, with the body
    lines that start with "From " quoted as mbox does."""
    out = b""
    for m in messages:
        body = m.replace(b"\r\n", b"\n")
        body = b"\n".join(b">" + l if l.startswith(b"From ") else l for l in body.split(b"\n"))
        out += b"From sender@example.org Tue Dec  8 12:00:00 2026\n" + body.rstrip(b"\n") + b"\n\n"
    return out


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    if os.path.exists(out):
        shutil.rmtree(out)
    build(out)
