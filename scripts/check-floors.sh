#!/usr/bin/env bash
# Checks the #include lines of src/ against the floors of docs/ARCHITECTURE.md: a folder includes its
# own floor and the floors below it, never one above; the three libraries include only themselves.
# Inside each library, files whose includes go round in a circle (a.cpp includes b.h, b.cpp includes
# a.h) are reported too. Exits non-zero on any finding.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
exec python3 - "$root" <<'PYTHON'
import os
import re
import sys

# Top to bottom. Each folder directly under src/ sits on exactly one floor.
FLOORS = [
    ("entry", ["Main"]),
    ("UI", ["UI"]),
    ("shell", ["App"]),
    ("capture and paste", ["Capture"]),
    ("storage", ["Storage"]),
    ("content analysis", ["Analysis"]),
    ("platform", ["Platform", "Imaging"]),
]
# The libraries: below everything, and each includes nothing but itself.
LIBRARIES = ["Hotkeys", "SyntaxHighlighter", "Markdown"]

# Circles inside a library that are known and accepted, each as the exact set of files (without
# extension) that form it. A new circle, or one that grows, fails the check.
KNOWN_CIRCLES = [
    # X11Keyboard builds the KeyboardLayout it reads from the server; KeyboardLayout::current() asks it.
    {"Hotkeys/KeyboardLayout", "Hotkeys/X11/X11Keyboard"},
    # CmarkCompat.h is the layer's interface; its parts use its types and CmarkCompat.cpp joins them.
    {"Markdown/CmarkCompat/" + name for name in (
        "AttributeExtension", "BacktickCounts", "CmarkCompat", "CompatTables", "InputGuards",
        "NestingCap", "TableSpans", "TreeSurvey")},
]

root = sys.argv[1]
src = os.path.join(root, "src")
floor_of = {}
for level, (_, folders) in enumerate(FLOORS):
    for folder in folders:
        floor_of[folder] = level
for library in LIBRARIES:
    floor_of[library] = len(FLOORS)

include_line = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
problems = []

for folder in sorted(os.listdir(src)):
    if os.path.isdir(os.path.join(src, folder)) and folder not in floor_of:
        problems.append(f"src/{folder}/ is on no floor: add it to the table in scripts/check-floors.sh")


def resolve(including, quote, path):
    """The included file relative to src/, or None for a header from outside src/."""
    if quote == '"':
        beside = os.path.normpath(os.path.join(os.path.dirname(including), path))
        if os.path.isfile(os.path.join(src, beside)):
            return beside
    rooted = os.path.normpath(path)
    if os.path.isfile(os.path.join(src, rooted)):
        return rooted
    if rooted.split("/")[0] in floor_of:
        return rooted  # names a folder of ours but no file: reported below
    return None


def floor_name(folder):
    if folder in LIBRARIES:
        return f"library {folder}"
    return FLOORS[floor_of[folder]][0]


edges = {}  # per library: module -> modules it includes
for directory, _, files in os.walk(src):
    for name in sorted(files):
        if not name.endswith((".h", ".hpp", ".c", ".cpp")):
            continue
        including = os.path.relpath(os.path.join(directory, name), src)
        folder = including.split("/")[0]
        if folder not in floor_of:
            continue
        module = os.path.splitext(including)[0]
        with open(os.path.join(src, including), encoding="utf-8", errors="replace") as text:
            for number, line in enumerate(text, 1):
                match = include_line.match(line)
                if not match:
                    continue
                included = resolve(including, match.group(1), match.group(2))
                if included is None:
                    continue
                where = f"src/{including}:{number}"
                if not os.path.isfile(os.path.join(src, included)):
                    problems.append(f"{where}: includes {match.group(2)}, which does not exist")
                    continue
                target = included.split("/")[0]
                if folder in LIBRARIES and target != folder:
                    problems.append(f"{where}: the library {folder} includes {included} ({floor_name(target)})")
                elif floor_of[target] < floor_of[folder]:
                    problems.append(f"{where}: {floor_name(folder)} includes {included}, "
                                    f"a floor above it ({floor_name(target)})")
                if folder in LIBRARIES and target == folder:
                    target_module = os.path.splitext(included)[0]
                    if target_module != module:
                        edges.setdefault(module, set()).add(target_module)


def circles(graph):
    """Strongly connected groups of more than one module (Tarjan, iterative)."""
    index, low, on_stack, stack, found = {}, {}, set(), [], []
    counter = 0
    for start in sorted(graph):
        if start in index:
            continue
        work = [(start, iter(sorted(graph.get(start, ()))))]
        index[start] = low[start] = counter
        counter += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, children = work[-1]
            child = next(children, None)
            if child is not None:
                if child not in index:
                    index[child] = low[child] = counter
                    counter += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(sorted(graph.get(child, ())))))
                elif child in on_stack:
                    low[node] = min(low[node], index[child])
                continue
            work.pop()
            if work:
                low[work[-1][0]] = min(low[work[-1][0]], low[node])
            if low[node] == index[node]:
                group = set()
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    group.add(member)
                    if member == node:
                        break
                if len(group) > 1:
                    found.append(group)
    return found


for group in circles(edges):
    if group not in KNOWN_CIRCLES:
        problems.append("include circle among: " + ", ".join(sorted(group)))

for problem in problems:
    print(problem, file=sys.stderr)
if problems:
    print(f"check-floors: {len(problems)} problem(s); the floors are in docs/ARCHITECTURE.md", file=sys.stderr)
    sys.exit(1)
print("check-floors: every include points down a floor")
PYTHON
