#!/usr/bin/env python3
"""Each code folder's README says which of the project's folders it may use,
in a paragraph that starts with "May use:" (what follows "Never" in it is
forbidden). The folders it names must be exactly the folders
whose headers the folder's code includes ("lib/..."), so a README cannot
claim less or more than the code does."""
import os
import re
import sys

root = sys.argv[1] if len(sys.argv) > 1 else os.getcwd()
NOT_CODE = {"tests", "docs", "scripts", "cmake", "desktop"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([A-Za-z_]+)/')
NAMED = re.compile(r"`([A-Za-z_]+)/?`")


def code_folders():
    for name in sorted(os.listdir(root)):
        path = os.path.join(root, name)
        if name.startswith(".") or name.startswith("build") or name in NOT_CODE or not os.path.isdir(path):
            continue
        if any(f.endswith((".cpp", ".h")) for _, _, files in os.walk(path) for f in files):
            yield name


def used(folder, folders):
    found = set()
    for base, _, files in os.walk(os.path.join(root, folder)):
        for f in files:
            if not f.endswith((".cpp", ".h")):
                continue
            with open(os.path.join(base, f), errors="replace") as source:
                for line in source:
                    m = INCLUDE.match(line)
                    if m and m.group(1) in folders and m.group(1) != folder:
                        found.add(m.group(1))
    return found


def declared(folder, folders):
    readme = os.path.join(root, folder, "README.md")
    if not os.path.exists(readme):
        return None
    with open(readme) as text:
        paragraphs = text.read().split("\n\n")
    said = [p for p in paragraphs if p.startswith("May use:")]
    if len(said) != 1:
        return None
    allowed = said[0].split("Never")[0]  # what follows "Never" is forbidden, not allowed
    return {n for n in NAMED.findall(allowed) if n in folders and n != folder}


def main():
    folders = set(code_folders())
    problems = []
    for folder in sorted(folders):
        says = declared(folder, folders)
        does = used(folder, folders)
        if says is None:
            problems.append(f"{folder}/README.md: no single paragraph starting with 'May use:'")
            continue
        for name in sorted(does - says):
            problems.append(f"{folder}/README.md: the code includes {name}/ but 'May use:' does not name it")
        for name in sorted(says - does):
            problems.append(f"{folder}/README.md: 'May use:' names {name}/ but the code includes none of it")
    for p in problems:
        print(p)
    print(f"{len(folders)} folders checked, {len(problems)} problems")
    return 1 if problems else 0


sys.exit(main())
