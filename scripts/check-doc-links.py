#!/usr/bin/env python3
"""Checks that every relative link in the repository's Markdown files resolves.

A link to a file must name a file or folder of the work tree; a link with an anchor into a
Markdown file (or into the page itself) must name one of its headings, as GitHub makes anchors of
them. Links with a scheme (https:, mailto:) are not followed. Code (fenced blocks, indented
blocks and `spans`) is skipped. Prints every broken link as file:line and exits 1 if there is one.
Usage: check-doc-links.py [file.md ...]  (default: every *.md git tracks)
"""
import os
import re
import subprocess
import sys

LINK = re.compile(r"!?\[(?:[^\]\\]|\\.)*\]\(\s*<?([^)\s>]+)>?(?:\s+\"[^\"]*\")?\s*\)")
SCHEME = re.compile(r"^[A-Za-z][A-Za-z0-9+.-]*:")
HEADING = re.compile(r"^ {0,3}(#{1,6})\s+(.*?)\s*#*\s*$")
FENCE = re.compile(r"^ {0,3}(`{3,}|~{3,})")


def prose_lines(text):
    """(line number, line) of the lines outside code blocks, code spans blanked out."""
    fence = None
    previous_blank = True
    in_indented = False
    for number, line in enumerate(text.split("\n"), 1):
        opening = FENCE.match(line)
        if fence:
            if opening and opening.group(1)[0] == fence[0] and len(opening.group(1)) >= len(fence):
                fence = None
            continue
        if opening:
            fence = opening.group(1)
            continue
        blank = not line.strip()
        # An indented line after a blank one starts a code block (lists aside: a list item's
        # continuation follows its text without a blank line in these files).
        if line.startswith("    ") and (previous_blank or in_indented):
            in_indented = True
            previous_blank = blank
            continue
        if not blank:
            in_indented = False
        previous_blank = blank
        yield number, re.sub(r"(`+).*?\1", "", line)


def anchors(path, cache={}):
    """The anchors GitHub gives the headings of a Markdown file."""
    if path not in cache:
        with open(path, encoding="utf-8") as markdown:
            text = markdown.read()
        seen = {}
        found = set()
        for _, line in prose_lines(text):
            heading = HEADING.match(line)
            if not heading:
                continue
            title = re.sub(r"[`*_]|\[([^\]]*)\]\([^)]*\)", r"\1", heading.group(2))
            slug = re.sub(r"[^\w\- ]", "", title.lower()).replace(" ", "-")
            count = seen.get(slug, 0)
            seen[slug] = count + 1
            found.add(slug if count == 0 else f"{slug}-{count}")
        cache[path] = found
    return cache[path]


def broken_links(path, root):
    with open(path, encoding="utf-8") as markdown:
        text = markdown.read()
    for number, line in prose_lines(text):
        for match in LINK.finditer(line):
            target = match.group(1)
            if SCHEME.match(target):
                continue
            file_part, _, anchor = target.partition("#")
            resolved = os.path.normpath(os.path.join(os.path.dirname(path), file_part)) if file_part else path
            if os.path.relpath(resolved, root).startswith(".."):
                yield number, target, "leaves the repository"
            elif not os.path.exists(resolved):
                yield number, target, "no such file"
            elif anchor and resolved.endswith(".md") and anchor not in anchors(resolved):
                yield number, target, "no such heading"


def main():
    root = os.path.realpath(os.path.join(os.path.dirname(__file__), ".."))
    os.chdir(root)
    files = sys.argv[1:] or subprocess.run(
        ["git", "ls-files", "*.md"], check=True, capture_output=True, text=True
    ).stdout.split()
    files = sorted(set(files))
    broken = 0
    links = 0
    for path in files:
        for number, target, why in broken_links(path, root):
            print(f"{path}:{number}: {target}: {why}")
            broken += 1
    for path in files:
        with open(path, encoding="utf-8") as markdown:
            links += sum(len(LINK.findall(line)) for _, line in prose_lines(markdown.read()))
    print(f"check-doc-links: {len(files)} Markdown files, {links} links, {broken} broken")
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main())
