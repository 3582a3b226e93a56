#!/usr/bin/env python3
"""Checks the help page: every link inside it leads somewhere, it shows each
picture of the program, and it explains every message the program can show.

The messages are the program's string literals that hold a '!' or a line
break (adjacent literals joined, split at line breaks): each line of each that
reads as a sentence must appear in the page's text.

usage: check-help-page.py HELP_PAGE SOURCE_DIR
"""
import html
import html.parser
import pathlib
import re
import sys

PICTURES = {"main-window", "main-after-decode", "progress", "save-as", "directories",
            "about", "converter", "paths"}
SOURCE_FOLDERS = ["core", "jobs", "convert", "settings", "dialogs", "shell", "cli"]
# Texts that are shown but are no messages: menu prompts and the About box.
NOT_MESSAGES = {"MenuTable.cpp", "AboutDlg.cpp"}


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.anchors, self.links, self.images, self.text = set(), [], [], []

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        for key in ("name", "id"):
            if tag == "a" and key in attrs:
                self.anchors.add(attrs[key])
        if tag == "a" and attrs.get("href", "").startswith("#"):
            self.links.append(attrs["href"][1:])
        if tag == "img":
            self.images.append(attrs.get("src", ""))
        self.text.append(" ")

    def handle_endtag(self, tag):
        self.text.append(" ")

    def handle_data(self, data):
        self.text.append(data)


def squeeze(text):
    return " ".join(text.split())


def string_literals(code):
    """Yields the program's messages: runs of adjacent string literals, with
    comments and character literals skipped."""
    i, run, n = 0, None, len(code)
    while i < n:
        c = code[i]
        if code.startswith("//", i):
            i = code.find("\n", i)
            i = n if i < 0 else i
        elif code.startswith("/*", i):
            i = code.find("*/", i + 2) + 2
        elif c == "'":
            i += 1
            while i < n and code[i] != "'":
                i += 2 if code[i] == "\\" else 1
            i += 1
        elif c == '"':
            j, piece = i + 1, []
            while code[j] != '"':
                if code[j] == "\\":
                    piece.append({"n": "\n", "r": "\r", "t": "\t", '"': '"', "\\": "\\"}.get(code[j + 1], ""))
                    j += 2
                else:
                    piece.append(code[j])
                    j += 1
            run = (run or "") + "".join(piece)
            i = j + 1
        elif c.isspace():
            i += 1
        else:
            if run is not None:
                yield run
                run = None
            i += 1
    if run is not None:
        yield run


def messages(source_dir):
    found = set()
    for folder in SOURCE_FOLDERS:
        for path in sorted((source_dir / folder).glob("*.[ch]*")):
            if path.name in NOT_MESSAGES:
                continue
            for literal in string_literals(path.read_text(errors="replace")):
                # Messages end in '!' or run over several lines (the usage
                # texts of the console program are no messages).
                if "!" not in literal and ("\n" not in literal or folder == "cli"):
                    continue
                for line in literal.split("\n"):
                    line = squeeze(line)
                    # Messages are sentences; code alphabets and the like are not.
                    if re.fullmatch(r"[A-Z][A-Za-z0-9 ,.'\"()/:%!-]*", line) and \
                            re.search(r"[a-z]", line):
                        found.add((line, path.relative_to(source_dir)))
    return found


def main():
    page_path, source_dir = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    page = Page()
    page.feed(page_path.read_text(encoding="utf-8"))
    text = squeeze(html.unescape("".join(page.text)))
    problems = []

    for target in page.links:
        if target not in page.anchors:
            problems.append(f"link to #{target}, which is not on the page")
    shown = set()
    for src in page.images:
        m = re.fullmatch(r"images/([a-z-]+)\.png", src)
        if not m or m.group(1) not in PICTURES:
            problems.append(f"picture {src} is not one the screenshot run makes")
        else:
            shown.add(m.group(1))
            if not (source_dir / "res" / "images" / f"{m.group(1)}.png").is_file():
                problems.append(f"picture {src} is not in res/images")
    for missing in sorted(PICTURES - shown):
        problems.append(f"picture images/{missing}.png is not shown")

    checked = 0
    for line, where in sorted(messages(source_dir)):
        # A placeholder (%1) stands for text the page cannot know.
        for part in re.split(r"%\d", line):
            part = part.strip()
            if len(part) > 1 and part not in text:
                # "Caption: text" as the console prints it: both halves.
                halves = part.split(": ", 1)
                if not all(h in text for h in halves if h) or len(halves) == 1:
                    problems.append(f"{where}: the page does not explain \"{part}\"")
        checked += 1
    if checked < 20:
        problems.append(f"only {checked} messages found in {source_dir}: is it the source folder?")

    for p in problems:
        print("FAIL:", p)
    if problems:
        return 1
    print(f"{page_path.name}: {len(page.links)} links, {len(shown)} pictures, {checked} messages explained")
    return 0


if __name__ == "__main__":
    sys.exit(main())
