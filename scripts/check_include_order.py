#!/usr/bin/env python3
"""Fails when a library includes a header of a library that comes after it in the build order.

Each library may use only those before it; tests, tools, fuzz harnesses, benchmarks, plug-ins and
the installer are outside the order and may include anything. Prints one line per upward include,
naming the file, the line and the header.
"""
import os
import re
import sys
import tempfile

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
    with tempfile.TemporaryDirectory() as root:
        os.makedirs(os.path.join(root, "scene"))
        with open(os.path.join(root, "scene", "planted.cpp"), "w") as planted:
            planted.write('#include "framework/core/vector3.h"\n#include "render/view.h"\n')
        found = list(upward_includes(root))
    expected = ["scene/planted.cpp:2: includes render/view.h of the later library render"]
    if found != expected:
        print(f"check_include_order: self-test found {found}, expected {expected}")
        return 1
    return 0


def main():
    if sys.argv[1:] == ["--self-test"]:
        return self_test()
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    if not os.path.isdir(root):
        print(f"check_include_order: {root}: no such folder", file=sys.stderr)
        return 2
    found = list(upward_includes(root))
    for line in found:
        print(line)
    if found:
        print(f"check_include_order: {len(found)} upward include(s); the order is {' < '.join(ORDER)}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
