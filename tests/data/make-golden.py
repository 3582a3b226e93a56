#!/usr/bin/env python3
"""Writes the golden files in this folder: golden.bin and its encodings.

UU and Base64 come from sharutils `uuencode`, Base64 also from coreutils
`base64`, BinHex 4.0 from macutils `binhex`; XX and btoa, which no packaged
tool writes, are made here from the formats' published descriptions. None
comes from this program. The tests read the files as committed; run this
only to make them anew (from this folder), and commit the result.
"""
import subprocess

NAME = "golden.bin"
ALPHABETS = {
    "Base64": "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/",
    "UU": "`" + "".join(chr(c) for c in range(33, 96)),
    "XX": "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz",
    "BinHex": "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr",
}


def original():
    """1001 bytes: every byte value, two zero words, runs of 0x90 (the BinHex
    run marker) and of one letter, then pseudo-random bytes."""
    data = bytearray(range(256)) + bytes(8) + b"\x90" * 5 + b"A" * 40
    seed = 12345
    while len(data) < 1001:
        seed = (seed * 1103515245 + 12345) % 2**31
        data.append(seed >> 16 & 0xFF)
    return bytes(data)


def xx(data):
    """Lines of 45 bytes: a count character, then four characters for every
    three bytes (the last group filled with zero bytes); a line of count 0."""
    abc = ALPHABETS["XX"]
    lines = []
    for at in range(0, len(data), 45):
        chunk = data[at:at + 45]
        line = abc[len(chunk)]
        for g in range(0, len(chunk), 3):
            n = int.from_bytes(chunk[g:g + 3].ljust(3, b"\0"), "big")
            line += "".join(abc[n >> s & 63] for s in (18, 12, 6, 0))
        lines.append(line)
    return "begin 644 %s\n%s\n%s\nend\n" % (NAME, "\n".join(lines), abc[0])


def btoa(data):
    """btoa 4.x: each 32-bit big-endian word (the last one filled with zero
    bytes) as five base-85 digits '!' + d, or 'z' for a zero word; lines of
    78 characters; the end line carries the byte count and three checks over
    every byte of the words: E the XOR, S the sum plus one per byte, R
    rotated left one bit then the byte added, all modulo 2^32."""
    padded = data + bytes(-len(data) % 4)
    e = s = r = 0
    for b in padded:
        e ^= b
        s = (s + b + 1) & 0xFFFFFFFF
        r = ((r << 1 | r >> 31) + b) & 0xFFFFFFFF
    chars = ""
    for at in range(0, len(padded), 4):
        word = int.from_bytes(padded[at:at + 4], "big")
        digits = [chr(33 + word // 85**k % 85) for k in range(4, -1, -1)]
        chars += "z" if word == 0 else "".join(digits)
    lines = [chars[at:at + 78] for at in range(0, len(chars), 78)]
    n = len(data)
    return "xbtoa Begin\n%s\nxbtoa End N %d %x E %x S %x R %x\n" % ("\n".join(lines), n, n, e, s, r)


def run(command):
    return subprocess.run(command, shell=True, check=True, capture_output=True, text=True).stdout


def main():
    with open(NAME, "wb") as f:
        f.write(original())
    with open("alphabets.txt", "w") as f:
        f.writelines("%s %s\n" % item for item in ALPHABETS.items())
    outputs = {
        "golden.uue": run("uuencode %s %s" % (NAME, NAME)),
        "golden.b64.uue": run("uuencode -m %s %s" % (NAME, NAME)),
        "golden.eml": "From: a@example.org\nMIME-Version: 1.0\n"
        'Content-Type: multipart/mixed; boundary="b"\n\n--b\n'
        'Content-Type: application/octet-stream; name="%s"\n'
        "Content-Transfer-Encoding: base64\n\n%s--b--\n" % (NAME, run("base64 " + NAME)),
        # The first line as the format prescribes it; macutils words it its own way.
        "golden.hqx": "(This file must be converted with BinHex 4.0)\n"
        + run("binhex -d %s | sed '1d;2{/^$/d}'" % NAME),
        "golden.xxe": xx(original()),
        "golden.b2a": btoa(original()),
    }
    for name, text in outputs.items():
        with open(name, "w") as f:
            f.write(text)


main()
