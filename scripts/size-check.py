#!/usr/bin/env python3
"""Sizes kept small enough to read: no hand-written source file over 600 lines,
a .cpp with its .h not over 700 together, no C++ function over 60 lines.
Prints each offender as FILE:LINE: what; exits 1 when there is any. CTest runs
it as size_check.

Sources are the tracked files (every file when this is no git checkout) with
the extensions below; generated files are listed in GENERATED and never
counted, and nothing under build/ is looked at.

Functions are found by a brace-matching scan, not a parser. Its limits:
comments, string and character literals (raw strings too) are blanked first
and preprocessor lines ignored; a brace block at namespace, class or
extern "C" scope whose text since the last ';' or block ends in ')' (with
const, noexcept, override, final, a trailing return type or a constructor's
initialiser list after it) is a function, and so is a lambda initialising a
namespace-scope variable. Blocks inside a function (lambdas, local classes)
count towards that function. A function's length is from the line of its
opening brace to the line of its closing one. Macros that expand to braces
would confuse it; the tree has none.
"""
import os
import re
import subprocess
import sys

FILE_LIMIT = 600
PAIR_LIMIT = 700
FUNCTION_LIMIT = 60
EXTENSIONS = (".cpp", ".h", ".c", ".py", ".sh", ".mjs", ".cmake")
CPP = (".cpp", ".h", ".c")
GENERATED = {
    "forms/patient_index/pinyin_table.cpp",  # written by scripts/generate-pinyin-table.mjs
}


def sources(root):
    try:
        out = subprocess.run(["git", "ls-files"], cwd=root, check=True,
                             capture_output=True, text=True).stdout.splitlines()
    except (OSError, subprocess.CalledProcessError):
        out = []
        for d, dirs, files in os.walk(root):
            dirs[:] = [x for x in dirs if x not in (".git", "build")]
            out += [os.path.relpath(os.path.join(d, f), root) for f in files]
    return sorted(p for p in out
                  if p.endswith(EXTENSIONS) and p not in GENERATED
                  and not p.startswith("build/") and os.path.isfile(os.path.join(root, p)))


def blank(text):
    """The text with comments, literals and preprocessor lines turned to spaces,
    newlines kept so that offsets keep their line numbers."""
    out = list(text)
    i, n = 0, len(text)

    def wipe(a, b):
        for k in range(a, b):
            if out[k] != "\n":
                out[k] = " "

    line_start = True
    while i < n:
        c = text[i]
        if line_start and c == "#":
            j = i
            while j < n and (text[j] != "\n" or text[j - 1] == "\\"):
                j += 1
            wipe(i, j)
            i = j
            continue
        if c == "\n":
            line_start = True
            i += 1
            continue
        if not c.isspace():
            line_start = False
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            wipe(i, j)
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            wipe(i, j)
            i = j
        elif c == "R" and text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")) \
                or (c in "uUL8" and re.match(r'(u8|u|U|L)R"', text[i:i + 4])):
            q = text.index('"', i)
            p = text.find("(", q)
            delim = ")" + text[q + 1:p] + '"'
            j = text.find(delim, p)
            j = n if j < 0 else j + len(delim)
            wipe(i, j)
            i = j
        elif c in "\"'":
            if c == "'" and i > 0 and text[i - 1].isalnum() and i + 1 < n and text[i + 1].isalnum():
                i += 1  # a digit separator: 100'000
                continue
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            wipe(i, min(j + 1, n))
            i = j + 1
        else:
            i += 1
    return "".join(out)


SIGNATURE_END = re.compile(
    r"\)\s*(?:const|noexcept(?:\([^()]*\))?|override|final|mutable|&&|&|\s)*"
    r"(?:->\s*[^{;()]*)?$")
CONSTRUCTOR = re.compile(r"\)\s*(?:noexcept\s*)?:\s*[\w:<>]+\s*[({]")
SCOPE = re.compile(r"\b(?:class|struct|union|enum|namespace)\b|\bextern\s*$")


def functions(text):
    """(first line, last line) of each function body in blanked C++ text."""
    found = []
    stack = []  # kinds of the open blocks: "scope", "function" or "other"
    pending = []  # text since the last ';' or block at a scope level
    line = 1
    opened = []  # line of each open block
    for c in text:
        inside = any(k != "scope" for k in stack)
        if c == "{":
            if inside:
                kind = "other"
            else:
                head = "".join(pending).strip()
                if SCOPE.search(head) and not SIGNATURE_END.search(head):
                    kind = "scope"
                elif SIGNATURE_END.search(head) or CONSTRUCTOR.search(head):
                    kind = "function"
                else:
                    kind = "other"  # a braced initialiser: part of the text before
                if kind != "other":
                    pending = []
                else:
                    pending.append(c)
            stack.append(kind)
            opened.append(line)
        elif c == "}":
            if stack:
                kind = stack.pop()
                first = opened.pop()
                if kind == "function":
                    found.append((first, line))
                if not any(k != "scope" for k in stack):
                    # A braced initialiser stays part of its declaration.
                    pending = pending + [c] if kind == "other" else []
        elif c == ";" and not inside:
            pending = []
        elif not inside:
            pending.append(c)
        if c == "\n":
            line += 1
    return found


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    root = os.path.abspath(root)
    faults = []
    lines = {}
    for path in sources(root):
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            text = f.read()
        lines[path] = text.count("\n") + (0 if text.endswith("\n") or not text else 1)
        if lines[path] > FILE_LIMIT:
            faults.append(f"{path}:1: {lines[path]} lines (limit {FILE_LIMIT})")
        if path.endswith(CPP):
            for first, last in functions(blank(text)):
                if last - first + 1 > FUNCTION_LIMIT:
                    faults.append(f"{path}:{first}: function of {last - first + 1} lines "
                                  f"(limit {FUNCTION_LIMIT})")
    for path, n in lines.items():
        if path.endswith(".cpp") and path[:-4] + ".h" in lines:
            both = n + lines[path[:-4] + ".h"]
            if both > PAIR_LIMIT:
                faults.append(f"{path}:1: {both} lines with its .h (limit {PAIR_LIMIT})")
    for fault in faults:
        print(fault)
    print(f"size-check: {len(lines)} files, {len(faults)} over the limits")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
