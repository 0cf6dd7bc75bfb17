#!/usr/bin/env python3
"""Fails when the shell or its dialogs pass a literal name to a layout lookup.

Every name the program looks up in its layout files is declared once in a layout_needs.cpp, which a
test finds in the compiled files; a literal at the call would escape that test. Prints one line per
literal, naming the file, the line and the call.
"""
import os
import re
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import tree_check  # noqa: E402

FOLDERS = ["app", "panels", "presets", "editors/terrain", "editors/material"]
LOOKUPS = [
    "Create", "LoadFromResource", "FindElement", "FindByName", "BindElement", "BindElementRef",
    "BindElementAlt", "BindElementData", "CIxText", "CIxTextLocal", "CIxImage", "SetImageByName",
    "OpenUIResourceFile", "AddMenu", "Load",
]
CALL = re.compile(r"\b(" + "|".join(LOOKUPS) + r")\s*\(")
COMMENT = re.compile(r"//[^\n]*|/\*.*?\*/", re.S)
EXEMPT = {"layout_needs.cpp"}


def arguments(text, start):
    """The text between the parenthesis at start and its match."""
    depth = 0
    for index in range(start, len(text)):
        if text[index] == "(":
            depth += 1
        elif text[index] == ")":
            depth -= 1
            if depth == 0:
                return text[start + 1:index]
    return text[start + 1:]


def literals_in(path, root):
    with open(path, encoding="utf-8", errors="replace") as source:
        text = COMMENT.sub(lambda m: re.sub(r"[^\n]", " ", m.group(0)), source.read())
    for match in CALL.finditer(text):
        if '"' in arguments(text, match.end() - 1):
            line = text.count("\n", 0, match.start()) + 1
            yield f"{os.path.relpath(path, root)}:{line}: a literal name passed to {match.group(1)}"


def found(root):
    for folder in FOLDERS:
        for directory, _, names in os.walk(os.path.join(root, folder)):
            for name in sorted(names):
                if name.endswith((".h", ".cpp")) and name not in EXEMPT:
                    yield from literals_in(os.path.join(directory, name), root)


def self_test():
    """Plants a literal and a declared name and checks that only the literal is reported."""
    return tree_check.self_test(
        "check_layout_literals", found, "app/planted.cpp",
        '// FindElement(children, "in a comment")\n'
        'int a = FindElement(children, need::kDocImage.name, &found, false);\n'
        'int b = CElSystem::FindElement(children,\n    "doc image", &found, false);\n',
        ["app/planted.cpp:3: a literal name passed to FindElement"])


if __name__ == "__main__":
    sys.exit(tree_check.main("check_layout_literals", found, self_test,
                             "literal name(s); declare them in a layout_needs.cpp"))
