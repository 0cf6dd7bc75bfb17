"""What the source-tree checks share: the self-test on a planted file and the command line.

A check is a function from the tree's root folder to the lines it reports; no line means the tree
passes.
"""
import os
import sys
import tempfile


def self_test(name, find, planted, text, expected):
    """Writes text to the relative path planted in an empty tree and compares find's lines with expected."""
    return self_test_tree(name, find, {planted: text}, expected)


def self_test_tree(name, find, files, expected):
    """Writes each text of files to its relative path in an empty tree and compares find's lines with
    expected."""
    with tempfile.TemporaryDirectory() as root:
        for planted, text in files.items():
            path = os.path.join(root, planted)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w") as out:
                out.write(text)
        got = list(find(root))
    if got != expected:
        print(f"{name}: self-test found {got}, expected {expected}")
        return 1
    return 0


def main(name, find, test, summary):
    """`name [ROOT]` checks ROOT (the tree above scripts/ by default): status 1 with the lines and a
    count followed by summary, 2 when ROOT is no folder; `name --self-test` runs test()."""
    if sys.argv[1:] == ["--self-test"]:
        return test()
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    if not os.path.isdir(root):
        print(f"{name}: {root}: no such folder", file=sys.stderr)
        return 2
    problems = list(find(root))
    for line in problems:
        print(line)
    if problems:
        print(f"{name}: {len(problems)} {summary}")
        return 1
    return 0
