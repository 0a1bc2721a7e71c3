#!/usr/bin/env python3
"""Checks the text layer of a printed page cell by cell.

usage: pdf_cells.py PAGE.pdf BOXES EXPECTED

BOXES is what `grid_pdf --boxes TEMPLATE` prints (row, column, left, top,
right, bottom in points). EXPECTED holds one cell a line: row, column and the
text written into it. The words that `pdftotext -bbox` finds with their
centre inside a cell, in reading order, must spell that cell's text exactly
(blanks aside); an empty text means no word there. A landscape template
printed on portrait paper comes back turned a quarter anticlockwise; the
words are turned back before they are compared. Prints one line per mismatch
and exits 1 when there is any.
"""
import re
import subprocess
import sys


def words(pdf):
    xhtml = subprocess.run(["pdftotext", "-bbox", pdf, "-"], check=True,
                           capture_output=True, text=True).stdout
    pattern = re.compile(r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" '
                         r'yMax="([\d.]+)">([^<]*)</word>')
    for m in pattern.finditer(xhtml):
        x0, y0, x1, y1 = map(float, m.groups()[:4])
        text = m.group(5).replace("&amp;", "&").replace("&lt;", "<").replace("&gt;", ">")
        yield (x0 + x1) / 2, (y0 + y1) / 2, y0, x0, text.replace("&quot;", '"')


def page_size(pdf):
    info = subprocess.run(["pdfinfo", pdf], check=True, capture_output=True, text=True).stdout
    m = re.search(r"Page size:\s+([\d.]+) x ([\d.]+)", info)
    return float(m.group(1)), float(m.group(2))


def main(pdf, boxes_file, expected_file):
    boxes = {}
    for line in open(boxes_file, encoding="utf-8"):
        r, c, *edges = line.split()
        boxes[(int(r), int(c))] = tuple(map(float, edges))
    found = list(words(pdf))
    width, height = page_size(pdf)
    if max(b[2] for b in boxes.values()) > width:  # turned onto portrait paper
        found = [(height - cy, cx, height - cy, cx, t) for cx, cy, _, _, t in found]
    faults = 0
    for line in open(expected_file, encoding="utf-8"):
        parts = line.rstrip("\n").split(" ", 2)
        cell, text = (int(parts[0]), int(parts[1])), parts[2] if len(parts) > 2 else ""
        left, top, right, bottom = boxes[cell]
        inside = sorted((y0, x0, t) for cx, cy, y0, x0, t in found
                        if left <= cx <= right and top <= cy <= bottom)
        seen = "".join(t for _, _, t in inside)
        if seen != "".join(text.split()):
            print(f"cell {cell[0]},{cell[1]}: expected {text!r}, the page has {seen!r}")
            faults += 1
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
