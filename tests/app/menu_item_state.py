"""Prints whether a menu item of a running program is "sensitive" or "insensitive", read through the
accessibility bus; "missing" (status 1) when no item of that label shows up within ten seconds.
Arguments: the program's accessible name and the item's label (an item's accessible name may end in
a blank where its accelerator follows). file_chooser.py uses its lookups."""
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402


def walk(node, depth=0):
    """The node and its descendants; a node that went away while the tree changed is skipped. A
    file chooser's filter items lie deeper than the menu bar's."""
    if node is None or depth > 25:
        return
    yield node
    try:
        children = [node.get_child_at_index(i) for i in range(node.get_child_count())]
    except GLib.Error:
        return
    for child in children:
        yield from walk(child, depth + 1)


def application(program):
    """The running program of that accessible name, or None."""
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        candidate = desktop.get_child_at_index(i)
        if candidate is not None and candidate.get_name() == program:
            return candidate
    return None


def find_item(program, label):
    """The program's menu item of that label, or None."""
    app = application(program)
    if app is None:
        return None
    for node in walk(app):
        try:
            if node.get_role() == Atspi.Role.MENU_ITEM and node.get_name().strip() == label:
                return node
        except GLib.Error:
            continue
    return None


def retry(step):
    """Calls step every 0.2 s until it answers true, for up to ten seconds; 0 if it did, else 1."""
    for _ in range(50):
        try:
            if step():
                return 0
        except GLib.Error:
            pass
        time.sleep(0.2)
    return 1


def main():
    program, label = sys.argv[1], sys.argv[2]
    state = []

    def read():
        item = find_item(program, label)
        if item is not None:
            state.append(item.get_state_set().contains(Atspi.StateType.SENSITIVE))
        return item is not None
    if retry(read):
        print("missing")
        return 1
    print("sensitive" if state[-1] else "insensitive")
    return 0


if __name__ == "__main__":
    sys.exit(main())
