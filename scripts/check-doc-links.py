#!/usr/bin/env python3
"""Checks the relative links of the README and of docs/: each must name a file of the repository,
and a link with a #fragment into a Markdown file a heading of that file (GitHub's anchor form).
Prints every broken link and exits 1 when there is one. Usage: scripts/check-doc-links.py [ROOT]"""
import pathlib
import re
import sys

LINK = re.compile(r"!?\[(?:[^\]\\]|\\.)*\]\(([^()\s]+)\)")
FENCE = re.compile(r"^\s*(```|~~~)")


def text_outside_code(path):
    """The lines of a Markdown file outside fenced code blocks, with inline code taken out."""
    inside = False
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        if FENCE.match(line):
            inside = not inside
            continue
        if not inside:
            yield number, re.sub(r"`[^`]*`", "", line)


def anchors(path):
    """The anchors GitHub gives the headings of a Markdown file."""
    seen = {}
    result = set()
    inside = False
    for line in path.read_text(encoding="utf-8").splitlines():
        if FENCE.match(line):
            inside = not inside
            continue
        m = re.match(r"^#{1,6}\s+(.*?)\s*#*\s*$", line)
        if inside or not m:
            continue
        title = re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", m.group(1))
        slug = re.sub(r"[^\w\- ]", "", title.lower(), flags=re.UNICODE).replace(" ", "-")
        n = seen.get(slug, 0)
        seen[slug] = n + 1
        result.add(slug if n == 0 else f"{slug}-{n}")
    return result


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
    files = [root / "README.md"] + sorted((root / "docs").glob("**/*.md"))
    broken = 0
    checked = 0
    for md in files:
        for number, line in text_outside_code(md):
            for target in LINK.findall(line):
                if re.match(r"^[a-z][a-z0-9+.-]*:", target):
                    continue  # an address, not a file of the repository
                checked += 1
                name, _, fragment = target.partition("#")
                dest = (md.parent / name).resolve() if name else md
                where = f"{md.relative_to(root)}:{number}: {target}"
                if not dest.exists():
                    print(f"{where}: no such file")
                    broken += 1
                elif fragment and dest.suffix == ".md" and fragment not in anchors(dest):
                    print(f"{where}: no heading #{fragment} in {dest.relative_to(root)}")
                    broken += 1
    print(f"{checked} relative links checked in {len(files)} files, {broken} broken")
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main())
