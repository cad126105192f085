#!/usr/bin/env python3
"""Keeps README.md and docs/DEVELOPING.md true to the tree they describe.

    docs_figures.py check ROOT   fails, naming each, on what the documents say that the tree denies
    docs_figures.py write ROOT   rewrites the measured figures from the tree (scripts/web does)

A measured figure stands between markers that do not show in the rendered page:
<!--measured:KEY-->VALUE<!--/measured-->, KEY one of MEASURES below. Besides those, `check`
finds every path into the tree that the documents name (in backticks, in the layout block and in
links) and the seams table, and holds them against the tree and the root CMakeLists.txt's SEAMS.
"""
import gzip
import os
import re
import sys

DOCUMENTS = ["README.md", "docs/DEVELOPING.md"]
PAGE = "docs/shadow-demo.html"
SHADERS = ["src/ShadowMapping/resource/cg/vp_ShadowMapping.cg",
           "src/ShadowMapping/resource/cg/fp_ShadowMapping.cg"]
# A path whose first folder is one of these is the tree's; platform folders are named without
# their "platform/" in the seams table and beside it.
TREE_FOLDERS = {"src", "cg", "platform", "tests", "scripts", "docs", "bench", "tools", ".ci"}
PLATFORM_FOLDERS = {"linux", "web", "windows", "common"}
MARKED = re.compile(r"<!--measured:([\w-]+)-->(.*?)<!--/measured-->")


def read(root, path):
    with open(os.path.join(root, path), "rb") as f:
        return f.read()


def megabytes(size):
    return f"{size / 1e6:.1f}"


def page_gzipped(root):
    return len(gzip.compress(read(root, PAGE), 9, mtime=0))


def e2e_tests_under_wine(root):
    """The e2e tests, split into those run under Wine and those scripts/windows_build.sh leaves
    out."""
    tests = set()
    for name in os.listdir(os.path.join(root, "tests/e2e")):
        if name.endswith(".cpp"):
            text = read(root, "tests/e2e/" + name).decode("utf-8")
            tests.update(re.findall(r"^TEST\(\w+, (\w+)\)", text, re.M))
    left_out = re.search(r"WINE_E2E_LEFT_OUT='([^']*)'",
                         read(root, "scripts/windows_build.sh").decode("utf-8")).group(1)
    out = {t for t in tests if re.search(left_out, t)}
    return tests - out, out


def listed_lines(root, path):
    return [line for line in read(root, path).decode("utf-8").splitlines()
            if line.strip() and not line.startswith("#")]


def reference_cases(root, prefix=""):
    return str(len([n for n in os.listdir(os.path.join(root, "tests/reference/cases"))
                    if n.startswith(prefix) and n.endswith(".cg")]))


MEASURES = {
    "page-bytes": lambda root: f"{len(read(root, PAGE)):,}",
    "page-gzip-bytes": lambda root: f"{page_gzipped(root):,}",
    "page-mb": lambda root: megabytes(len(read(root, PAGE))),
    "page-gzip-mb": lambda root: megabytes(page_gzipped(root)),
    "shader-bytes": lambda root: f"{sum(len(read(root, s)) for s in SHADERS):,}",
    "wine-e2e-tests": lambda root: str(len(e2e_tests_under_wine(root)[0])),
    "reference-cases": reference_cases,
    "reference-vertex-cases": lambda root: reference_cases(root, "vertex-"),
    "probes": lambda root: str(len(listed_lines(root, "tests/reference/probes.txt"))),
    "walk-cases": lambda root: str(len(listed_lines(root, "tests/reference/walk-cases.txt"))),
    "wine-e2e-left-out": lambda root: str(len(e2e_tests_under_wine(root)[1])),
}


def stale_figures(root, doc, text):
    problems = []
    if text.count("<!--measured:") != len(MARKED.findall(text)):
        problems.append(f"{doc}: a measured figure's markers are malformed")
    for match in MARKED.finditer(text):
        key, value = match.group(1), match.group(2)
        if key not in MEASURES:
            problems.append(f"{doc}: unknown measured figure '{key}'")
        elif MEASURES[key](root) != value:
            problems.append(f"{doc}: {key} is {MEASURES[key](root)}, the document says {value}")
    return problems


def write_figures(root, doc):
    path = os.path.join(root, doc)
    with open(path, encoding="utf-8") as f:
        text = f.read()
    measured = MARKED.sub(lambda m: f"<!--measured:{m.group(1)}-->{MEASURES[m.group(1)](root)}"
                          "<!--/measured-->", text)
    if measured != text:
        with open(path, "w", encoding="utf-8") as f:
            f.write(measured)


def tree_path(word):
    """The path into the tree that a word of a document names, or None."""
    word = word.strip(".,:;()'\"").split("#")[0]
    if not re.fullmatch(r"[\w.+-]+(/[\w.+-]*)+", word):
        return None
    first = word.split("/")[0]
    if first in TREE_FOLDERS:
        return word
    if first in PLATFORM_FOLDERS:
        return "platform/" + word
    return None


def layout_paths(text):
    """The first column of the layout block under '## Layout'."""
    block = re.search(r"## Layout\n.*?```\n(.*?)```", text, re.S)
    paths = []
    for line in block.group(1).splitlines() if block else []:
        if line and not line.startswith(" "):
            paths += [p.strip() for p in re.split(r"\s{2,}", line)[0].split(",")]
    return paths


def missing_paths(root, doc, text):
    named = set(layout_paths(text)) if doc.endswith("DEVELOPING.md") else set()
    for quoted in re.findall(r"`([^`\n]+)`", text):
        named.update(filter(None, map(tree_path, quoted.split())))
    problems = [f"{doc}: names {p}, which the tree does not have"
                for p in sorted(named) if not os.path.exists(os.path.join(root, p))]
    for target in re.findall(r"\]\(([^)\s]+)\)", text):
        if re.match(r"[a-z]+:", target):
            continue
        file, _, anchor = target.partition("#")
        file = os.path.normpath(os.path.join(os.path.dirname(doc), file)) if file else doc
        if not os.path.exists(os.path.join(root, file)):
            problems.append(f"{doc}: links to {file}, which the tree does not have")
        elif anchor and file.endswith(".md") and anchor not in anchors(root, file):
            problems.append(f"{doc}: links to {file}#{anchor}, which has no such heading")
    return problems


def anchors(root, doc):
    """The anchors GitHub gives the document's headings."""
    slugs = set()
    for heading in re.findall(r"^#+ (.*)$", read(root, doc).decode("utf-8"), re.M):
        slugs.add(re.sub(r"[^\w\- ]", "", heading.lower()).replace(" ", "-"))
    return slugs


def seams_from_cmake(root):
    block = re.search(r"set\(SEAMS\n(.*?)\n\)", read(root, "CMakeLists.txt").decode("utf-8"), re.S)
    rows = [line.split() for line in block.group(1).splitlines() if not line.strip().startswith("#")]
    return {tuple(row[1:4]) for row in rows if len(row) == 4}


def seams_from_document(text):
    section = re.search(r"^\| seam .*?\n\|---.*?\n((?:\|.*\n)+)", text, re.M)
    rows = set()
    for line in section.group(1).splitlines() if section else []:
        cells = line.strip("|").split("|")[1:4]
        rows.add(tuple(re.search(r"`([^`]+)`", cell).group(1) for cell in cells))
    return rows


def wrong_seams(root, text):
    documented, built = seams_from_document(text), seams_from_cmake(root)
    problems = [f"docs/DEVELOPING.md: the seams table has {' '.join(r)}, CMakeLists.txt has not"
                for r in sorted(documented - built)]
    problems += [f"docs/DEVELOPING.md: the seams table lacks {' '.join(r)}"
                 for r in sorted(built - documented)]
    return problems


def check(root):
    problems = []
    for doc in DOCUMENTS:
        text = read(root, doc).decode("utf-8")
        problems += stale_figures(root, doc, text) + missing_paths(root, doc, text)
        if doc.endswith("DEVELOPING.md"):
            problems += wrong_seams(root, text)
    for problem in problems:
        print(problem)
    print(f"docs: {len(problems)} stale or wrong" if problems else "docs: every checked figure, "
          "path, link and seam agrees with the tree")
    return 1 if problems else 0


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("check", "write"):
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    root = sys.argv[2]
    if sys.argv[1] == "write":
        for doc in DOCUMENTS:
            write_figures(root, doc)
    return check(root)


if __name__ == "__main__":
    sys.exit(main())
