#!/usr/bin/env python3
"""Fails when a library includes a header of, or links, a library that comes after it in the build order,
the QUARN2_LIBRARY_ORDER that the top CMakeLists.txt sets.

Each library may use only those before it; a later one that an earlier one must reach registers
itself with it at start-up. Tools, fuzz harnesses, benchmarks, plug-ins and the installer are outside
the order and may use anything; tests may include anything, but the tests of a library (tests/LIBRARY/)
link only that library and earlier ones, directly or through the support libraries they link. A link
group (LINK_INTERFACE_MULTIPLICITY, --start-group) is refused anywhere. Prints one line per fault,
naming the file, the line and what it includes or links.
"""
import os
import re
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import tree_check  # noqa: E402

ORDER = []  # the tree's QUARN2_LIBRARY_ORDER, read by load_order
ORDER_LINE = re.compile(r"set\(\s*QUARN2_LIBRARY_ORDER\s+([^)]*)\)")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
SOURCE_ENDINGS = (".h", ".hpp", ".cpp", ".cc")
CMAKE_FILE = re.compile(r"^(CMakeLists\.txt|.*\.cmake)$")
COMMAND = re.compile(r"\b(add_library|add_executable|target_link_libraries|quarn2_test|set_target_properties|"
                     r"set_property|target_link_options|add_link_options)\s*\(", re.IGNORECASE)
LINK_KEYWORDS = {"PUBLIC", "PRIVATE", "INTERFACE", "LINK_PUBLIC", "LINK_PRIVATE", "LINK_INTERFACE_LIBRARIES"}
GROUPS = re.compile(r"LINK_INTERFACE_MULTIPLICITY|--start-group|LINK_GROUP", re.IGNORECASE)


def load_order(root):
    """Reads the library order from the tree's top CMakeLists.txt; false when it names none."""
    try:
        with open(os.path.join(root, "CMakeLists.txt"), encoding="utf-8") as source:
            match = ORDER_LINE.search(without_comments(source.read()))
    except OSError:
        return False
    ORDER[:] = match.group(1).split() if match else []
    return bool(ORDER)


def library_of(path):
    """The index of the innermost library folder holding path, or None."""
    best = None
    for index, folder in enumerate(ORDER):
        if path == folder or path.startswith(folder + "/"):
            if best is None or len(ORDER[best]) < len(folder):
                best = index
    return best


def owner_of(folder):
    """The library whose code (its folder) or whose tests (tests/ and its folder) folder holds."""
    if folder == "tests" or folder.startswith("tests/"):
        return library_of(folder[len("tests/"):])
    return library_of(folder)


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


def cmake_files(root):
    """The relative paths of the tree's CMake files, outside build folders and hidden ones."""
    for directory, folders, names in os.walk(root):
        folders[:] = sorted(f for f in folders if not f.startswith((".", "build")))
        for name in sorted(names):
            if CMAKE_FILE.match(name):
                yield os.path.relpath(os.path.join(directory, name), root)


def without_comments(text):
    """The text with each comment (from a # outside quotes to the line's end) blanked."""
    out, quoted, comment = [], False, False
    for c in text:
        if c == "\n":
            comment = False
        elif comment:
            continue
        elif c == '"':
            quoted = not quoted
        elif c == "#" and not quoted:
            comment = True
            continue
        out.append(c)
    return "".join(out)


def commands(text):
    """(name, words, line) of each command of interest, comments dropped and arguments split."""
    text = without_comments(text)
    for match in COMMAND.finditer(text):
        depth, end = 1, match.end()
        while end < len(text) and depth:
            depth += {"(": 1, ")": -1}.get(text[end], 0)
            end += 1
        words = re.findall(r'"[^"]*"|[^\s()]+', text[match.end():end - 1])
        yield match.group(1).lower(), words, text.count("\n", 0, match.start()) + 1


def link_graph(root):
    """Targets with the folder that defines them, their links with where each is written, and link groups."""
    defined, links, groups = {}, [], []
    for path in cmake_files(root):
        folder = os.path.dirname(path)
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as source:
            text = source.read()
        for name, words, line in commands(text):
            where = f"{path}:{line}"
            if any(GROUPS.search(word) for word in words):
                groups.append(f"{where}: links as a group")
            if not words or "$" in words[0]:
                continue
            if name in ("add_library", "add_executable", "quarn2_test"):
                defined.setdefault(words[0], folder)
            if name == "target_link_libraries":
                deps = words[1:]
            elif name == "quarn2_test":
                deps, keep = [], False
                for word in words[1:]:
                    if word in ("SOURCES", "LIBS", "LABEL", "PROPERTIES"):
                        keep = word == "LIBS"
                    elif keep:
                        deps.append(word)
            else:
                continue
            for dep in deps:
                if dep not in LINK_KEYWORDS and not re.search(r"[$:<>]", dep) and not dep.startswith("-"):
                    links.append((words[0], dep, where))
    return defined, links, groups


def upward_links(root):
    defined, links, groups = link_graph(root)
    yield from groups
    edges = {}
    for target, dep, where in links:
        edges.setdefault(target, []).append((dep, where))

    def library(target):
        return library_of(defined[target]) if target in defined else None

    for target, folder in sorted(defined.items(), key=lambda item: (item[1], item[0])):
        index = owner_of(folder)
        if index is None:
            continue
        # Through the targets outside the order (tools' and tests' support); a library's own links are
        # checked where it is defined.
        seen, stack = {target}, [(dep, where, []) for dep, where in edges.get(target, [])]
        while stack:
            dep, where, path = stack.pop(0)
            if dep in seen:
                continue
            seen.add(dep)
            reached = library(dep)
            if reached is not None:
                if reached > index:
                    through = f" (through {' and '.join(path)})" if path else ""
                    yield f"{where}: {target} links {dep} of the later library {ORDER[reached]}{through}"
                continue
            stack.extend((next_dep, where, path + [dep]) for next_dep, _ in edges.get(dep, []))


def order_faults(root):
    if not load_order(root):
        yield "CMakeLists.txt: sets no QUARN2_LIBRARY_ORDER"
        return
    yield from upward_includes(root)
    yield from upward_links(root)


def self_test():
    """Plants an upward include, a library and a library's tests that link later libraries (the tests
    through a support library) and a link group, beside a downward include and link, and checks that
    only the faults are reported."""
    files = {
        "CMakeLists.txt": "set(QUARN2_LIBRARY_ORDER platform framework/core # the first two\n"
                          "  framework/image framework/ui scene render document)\n",
        "scene/planted.cpp": '#include "framework/core/vector3.h"\n#include "render/view.h"\n',
        "scene/CMakeLists.txt": "add_library(scene planted.cpp)\n"
                                "# target_link_libraries(scene PUBLIC app) in a comment is no link\n"
                                "target_link_libraries(scene PUBLIC framework_core\n  render)\n",
        "render/CMakeLists.txt": "add_library(render view.cpp)\ntarget_link_libraries(render PUBLIC scene)\n"
                                 "set_target_properties(render PROPERTIES LINK_INTERFACE_MULTIPLICITY 3)\n",
        "framework/core/CMakeLists.txt": "add_library(framework_core a.cpp)\n",
        "tools/CMakeLists.txt": "add_library(scene_helpers helpers.cpp)\n"
                                "target_link_libraries(scene_helpers PUBLIC render)\n",
        "tests/scene/CMakeLists.txt": "quarn2_test(scene_tests SOURCES a_test.cpp LIBS scene scene_helpers\n"
                                      "  PROPERTIES LABELS render)\n",
        "tests/render/CMakeLists.txt": "quarn2_test(render_tests SOURCES b_test.cpp LIBS render scene_helpers)\n",
    }
    return tree_check.self_test_tree("check_include_order", order_faults, files, [
        "scene/planted.cpp:2: includes render/view.h of the later library render",
        "render/CMakeLists.txt:3: links as a group",
        "scene/CMakeLists.txt:3: scene links render of the later library render",
        "tests/scene/CMakeLists.txt:1: scene_tests links render of the later library render (through scene_helpers)",
    ])


if __name__ == "__main__":
    sys.exit(tree_check.main("check_include_order", order_faults, self_test,
                             "upward include(s), link(s) or link group(s); the order is QUARN2_LIBRARY_ORDER "
                             "in CMakeLists.txt"))
