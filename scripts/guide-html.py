#!/usr/bin/python3
"""Writes the teacher's guide as one HTML page for the packages: guide-html.py GUIDE.md OUT.html.

The page keeps the guide's relative links (navod/okno.png), so it is installed beside a copy
of the guide's folder of pictures. It has no script and nothing from the web: it reads the
same from a USB stick as from /usr/share/doc.
"""
import html
import os
import re
import sys

import markdown

STYLE = """
body { font-family: "Liberation Sans", Arial, sans-serif; max-width: 50em; margin: 2em auto;
       padding: 0 1em; line-height: 1.45; color: #111; background: #fff; }
img { max-width: 100%; height: auto; }
table { border-collapse: collapse; margin: 1em 0; }
th, td { border: 1px solid #999; padding: 0.3em 0.6em; vertical-align: top; text-align: left; }
code, pre { font-family: "Liberation Mono", "Courier New", monospace; }
pre { background: #f3f3f3; padding: 0.6em; overflow-x: auto; }
@media print { body { max-width: none; } }
"""


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: guide-html.py GUIDE.md OUT.html")
    source, target = sys.argv[1:]
    with open(source, encoding="utf-8") as f:
        text = f.read()
    # A link to a missing picture would only show in the reader's browser: stop here instead.
    folder = os.path.dirname(source)
    for link in re.findall(r"\]\(([^)#\s]+)\)", text):
        if "://" not in link and not os.path.exists(os.path.join(folder, link)):
            sys.exit(f"guide-html: {source} links to {link}, which does not exist")
    match = re.search(r"^# (.+)$", text, re.MULTILINE)
    title = match.group(1) if match else "Ohyb na Kavalun"
    body = markdown.markdown(text, extensions=["tables", "toc", "sane_lists"], output_format="html")
    page = (
        '<!DOCTYPE html>\n<html lang="cs">\n<head>\n<meta charset="utf-8">\n'
        '<meta name="viewport" content="width=device-width, initial-scale=1">\n'
        f"<title>{html.escape(title)}</title>\n<style>{STYLE}</style>\n</head>\n<body>\n"
        f"{body}\n</body>\n</html>\n"
    )
    os.makedirs(os.path.dirname(os.path.abspath(target)), exist_ok=True)
    with open(target + ".tmp", "w", encoding="utf-8") as f:
        f.write(page)
    os.replace(target + ".tmp", target)


if __name__ == "__main__":
    main()
