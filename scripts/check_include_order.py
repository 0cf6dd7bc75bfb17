#!/usr/bin/env python3
"""Fails when a library includes a header of a library that comes after it in the build order.

Each library may use only those before it; tests, tools, fuzz harnesses, benchmarks, plug-ins and
the installer are outside the order and may include anything. Prints one line per upward include,
naming the file, the line and the header.
"""
import os
import re
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import tree_check  # noqa: E402

ORDER = [
    "platform", "framework/core", "framework/image", "framework/ui", "scene", "render", "document",
    "editing", "presets", "panels", "editors/terrain", "editors/material", "app",
]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
SOURCE_ENDINGS = (".h", ".hpp", ".cpp", ".cc")


def library_of(path):
    """The index of the innermost library folder holding path, or None."""
    best = None
    for index, folder in enumerate(ORDER):
        if path == folder or path.startswith(folder + "/"):
            if best is None or len(ORDER[best]) < len(folder):
                best = index
    return best


def upward_includes(root):
    for index, folder in enumerate(ORDER):
        top = os.path.join(root, folder)
        for directory, _, names in os.walk(top):
            for name in sorted(names):
                if not name.endswith(SOURCE_ENDINGS):
                    continue
                path = os.path.join(directory, name)
                relative = os.path.relpath(path, root)
                if library_of(os.path.dirname(relative)) != index:
                    continue  # a nested library's file, checked under its own folder
                with open(path, encoding="utf-8", errors="replace") as source:
                    for number, line in enumerate(source, 1):
                        match = INCLUDE.match(line)
                        if not match:
                            continue
                        target = library_of(os.path.dirname(match.group(1)))
                        if target is not None and target > index:
                            yield f"{relative}:{number}: includes {match.group(1)} of the later library {ORDER[target]}"


def self_test():
    """Plants one upward and one downward include and checks that only the first is reported."""
    return tree_check.self_test(
        "check_include_order", upward_includes, "scene/planted.cpp",
        '#include "framework/core/vector3.h"\n#include "render/view.h"\n',
        ["scene/planted.cpp:2: includes render/view.h of the later library render"])


if __name__ == "__main__":
    sys.exit(tree_check.main("check_include_order", upward_includes, self_test,
                             f"upward include(s); the order is {' < '.join(ORDER)}"))
