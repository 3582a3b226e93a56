#!/usr/bin/python3
"""Runs `twick decode` on mail that other programs wrote and checks what it
saves: exactly the expected files, byte for byte, and the exit status.

usage: check_mail.py TWICK table OUTDIR    the rows of make_mail.py's table.json
       check_mail.py TWICK cpython DATADIR CPython's email test messages: every
                                           part Python reads as named comes out
                                           under that name with Python's bytes,
                                           and nothing else does

Every run decodes into an empty folder with --rename, so that a second
part of the same name is kept as name-1.ext. Prints one line per failing
run and exits 1 when there is one.
"""
import glob
import json
import mailbox
import os
import subprocess
import sys
import tempfile
from email import message_from_bytes, policy


def decode(twick, mails, args=()):
    """Runs twick on `mails` into a new empty folder: (status, {name: bytes}, what it
    printed)."""
    beside = {os.path.dirname(os.path.abspath(m)) for m in mails}
    before = {d: set(os.listdir(d)) for d in beside}
    with tempfile.TemporaryDirectory() as out:
        try:
            run = subprocess.run([twick, "decode", "--rename", "--output-dir", out, *args,
                                  *mails], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                 stderr=subprocess.PIPE, timeout=60)
            status, printed = run.returncode, (run.stdout + run.stderr).decode(errors="replace")
        except subprocess.TimeoutExpired:
            status, printed = "a timeout", ""
        files = {}
        for name in os.listdir(out):
            with open(os.path.join(out, name), "rb") as f:
                files[name] = f.read()
    # Nothing may land beside the sources; such a file counts as unexpected.
    for d in beside:
        for name in set(os.listdir(d)) - before[d]:
            with open(os.path.join(d, name), "rb") as f:
                files["../" + name] = f.read()
            os.remove(os.path.join(d, name))
    return status, files, printed


def compare(got, want, status=None, want_status=None, extra_ok=()):
    """What is wrong with `got` (name -> bytes) against `want`, as one line; a
    file not in `want` is allowed when its bytes are among `extra_ok` (unnamed
    parts, which Python may not all find where boundaries repeat)."""
    problems = []
    if want_status is not None and status != want_status:
        problems.append("exit %s, not %s" % (status, want_status))
    for name, data in want.items():
        if name not in got:
            problems.append("missing %r" % name)
        elif got[name] != data:
            problems.append("%r differs (%d bytes, not %d)" % (name, len(got[name]), len(data)))
    for name in sorted(set(got) - set(want)):
        if got[name] not in extra_ok:
            problems.append("unexpected %r (%d bytes)" % (name, len(got[name])))
    return "; ".join(problems)


def check_table(twick, folder):
    with open(os.path.join(folder, "table.json")) as f:
        rows = json.load(f)
    failed = []
    for row in rows:
        want = {}
        for name, path in row["files"].items():
            with open(os.path.join(folder, path), "rb") as f:
                want[name] = f.read()
        mails = [os.path.join(folder, m) for m in row["mails"]]
        status, got, err = decode(twick, mails, row["args"])
        problem = compare(got, want, status, row["status"])
        if "--list" in row["args"] and "saved" in err:
            problem += "; --list says a file was saved"
        if problem:
            label = " ".join(row["args"] + [os.path.basename(m) for m in mails])
            message = [line for line in err.splitlines() if ":" in line and "/" not in line]
            failed.append("%s: %s%s" % (label, problem.lstrip("; "),
                                        " [%s]" % message[0] if message else ""))
    return len(rows), failed


def numbered(name, n):
    """The name --rename gives the n-th other file of this name."""
    stem, dot, ext = name.rpartition(".")
    return "%s-%d.%s" % (stem, n, ext) if dot else "%s-%d" % (name, n)


def python_reading(path):
    """Named parts ({name: bytes}, a repeated name numbered as --rename does)
    the bytes of the unnamed parts that are files rather than text (a Base64
    part that is an attachment or not text/), and whether a name repeats."""
    with open(path, "rb") as f:  # from bytes, so that line ends stay as they are
        msg = message_from_bytes(f.read(), policy=policy.default)
    named, unnamed, repeated = {}, [], False
    for part in msg.walk():
        if part.is_multipart():
            continue
        name = part.get_filename()
        data = part.get_payload(decode=True)
        if name is not None:
            final, n = name, 0
            while final in named:
                n += 1
                repeated = True
                final = numbered(name, n)
            named[final] = data
        elif part.get("content-transfer-encoding", "").strip().lower() == "base64" and (
                part.get_content_disposition() == "attachment"
                or part.get_content_maintype() != "text"):
            unnamed.append(data)
    return named, unnamed, repeated


def mailboxes(folder, messages):
    """The messages in each of the mailbox formats Python writes."""
    made = []
    for kind, cls in (("mbox", mailbox.mbox), ("mmdf", mailbox.MMDF), ("babyl", mailbox.Babyl)):
        path = os.path.join(folder, "messages." + kind)
        box = cls(path)
        for m in messages:
            with open(m, "rb") as f:
                box.add(f.read())
        box.flush()
        box.close()
        made.append(path)
    return made


def check_cpython(twick, data):
    messages = sorted(glob.glob(os.path.join(data, "msg_*.txt")))
    if not messages:
        sys.exit("check_mail: no msg_*.txt in " + data)
    failed = []
    readings, repeats = {}, {}
    for path in messages:
        named, unnamed, repeats[path] = python_reading(path)
        readings[path] = named, unnamed
        status, got, err = decode(twick, [path])
        problem = compare(got, named, extra_ok=unnamed)
        if problem:
            failed.append("%s: %s" % (os.path.basename(path), problem))
    # Mailboxes of the messages whose names are all different from each other.
    chosen, names = [], set()
    for path in messages:
        named, unnamed = readings[path]
        if named and not unnamed and not names & set(named) and not repeats[path]:
            chosen.append(path)
            names |= set(named)
    want = {}
    for path in chosen:
        want.update(readings[path][0])
    with tempfile.TemporaryDirectory() as folder:
        for box in mailboxes(folder, chosen):
            status, got, err = decode(twick, [box])
            problem = compare(got, want)
            if problem:
                failed.append("%s: %s" % (os.path.basename(box), problem))
    return len(messages) + 3, failed


def main():
    if len(sys.argv) != 4 or sys.argv[2] not in ("table", "cpython"):
        sys.exit(__doc__)
    twick, what, folder = sys.argv[1:]
    total, failed = (check_table if what == "table" else check_cpython)(twick, folder)
    for line in failed:
        print("FAIL " + line)
    print("%d of %d runs as expected" % (total - len(failed), total))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
