"""Runs every search example of the manual through tulvo-lookup on the real
dictionary, so that the manual promises nothing the program does not do.

An example is an element of the manual with one of these attributes; its text
is the query (or, starting with "tulvo-lookup", the whole command):
  data-finds="A B"   each word is among the first 10 rows
  data-first="A"     the first row shows A
  data-every="RE"    every row's word matches the regular expression
  data-prints="T"    the command prints exactly T
Every <code> and Chinese <span> of the search page, and every tulvo-lookup
command of the command-line page, must be such an example unless it is
syntax (a wildcard, a way of writing ü).

usage: manual_examples.py TULVO_LOOKUP MANUAL_DIR   (in the program directory)
"""
import html.parser
import pathlib
import re
import subprocess
import sys

SYNTAX = {"*", "?", "u:", "v", "ü"}
CHECKS = ("data-finds", "data-first", "data-every", "data-prints")


class Examples(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.open = []  # [tag, attributes, text] of the elements being read
        self.found = []  # (tag, attributes, text)

    def handle_starttag(self, tag, attrs):
        attributes = dict(attrs)
        if tag == "code" or (tag == "span" and attributes.get("class") == "zh"):
            self.open.append([tag, attributes, ""])

    def handle_endtag(self, tag):
        if self.open and self.open[-1][0] == tag:
            self.found.append(tuple(self.open.pop()))

    def handle_data(self, data):
        for element in self.open:
            element[2] += data


def examples(page):
    parser = Examples()
    parser.feed(page.read_text(encoding="utf-8"))
    return parser.found


def run(lookup, text):
    words = text.split()
    args = words[1:] if words[0] == "tulvo-lookup" else ["--", text]
    done = subprocess.run([lookup] + args, capture_output=True, text=True, timeout=30)
    if done.returncode != 0:
        raise AssertionError(f"{text}: exit {done.returncode}: {done.stderr}")
    return done.stdout


def check(lookup, attributes, text):
    output = run(lookup, text)
    if "data-prints" in attributes:
        if output.strip() != attributes["data-prints"]:
            return f"prints {output.strip()!r}, not {attributes['data-prints']!r}"
        return None
    rows = [line.split("\t")[0] for line in output.splitlines()]
    if not rows:
        return "finds nothing"
    for word in attributes.get("data-finds", "").split():
        if word not in rows[:10]:
            return f"{word} is not in the first 10 rows: {' '.join(rows[:10])}"
    first = attributes.get("data-first")
    if first and rows[0] != first:
        return f"the first row is {rows[0]}, not {first}"
    every = attributes.get("data-every")
    if every:
        stray = [row for row in rows if not re.search(every, row)]
        if stray:
            return f"rows that do not match {every}: {' '.join(stray[:10])}"
    return None


def main():
    lookup, manual = sys.argv[1], pathlib.Path(sys.argv[2])
    failures, tested = [], 0
    for name in ("search.html", "tools.html"):
        for tag, attributes, text in examples(manual / name):
            text = text.strip()
            is_example = any(key in attributes for key in CHECKS)
            must_be = (name == "search.html" and text not in SYNTAX) or text.startswith(
                "tulvo-lookup ")
            if not is_example:
                # Results named beside an example are no queries of their own.
                if must_be and tag == "code":
                    failures.append(f"{name}: the example {text!r} is not tested")
                continue
            tested += 1
            problem = check(lookup, attributes, text)
            if problem:
                failures.append(f"{name}: {text}: {problem}")
    for failure in failures:
        print(failure)
    print(f"{tested} examples run, {len(failures)} failed")
    return 1 if failures or tested == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
