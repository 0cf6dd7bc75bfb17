"""Prints whether a menu item of a running program is "sensitive" or "insensitive", read through the
accessibility bus; "missing" (status 1) when no item of that label shows up within ten seconds.
Arguments: the program's accessible name and the item's label (an item's accessible name may end in
a blank where its accelerator follows)."""
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402


def walk(node, depth=0):
    """The node and its descendants; a node that went away while the tree changed is skipped."""
    if node is None or depth > 12:
        return
    yield node
    try:
        children = [node.get_child_at_index(i) for i in range(node.get_child_count())]
    except GLib.Error:
        return
    for child in children:
        yield from walk(child, depth + 1)


def find_item(program, label):
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        application = desktop.get_child_at_index(i)
        if application is None or application.get_name() != program:
            continue
        for node in walk(application):
            try:
                if node.get_role() == Atspi.Role.MENU_ITEM and node.get_name().strip() == label:
                    return node
            except GLib.Error:
                continue
    return None


def main():
    program, label = sys.argv[1], sys.argv[2]
    for _ in range(50):
        try:
            item = find_item(program, label)
            if item is not None:
                sensitive = item.get_state_set().contains(Atspi.StateType.SENSITIVE)
                print("sensitive" if sensitive else "insensitive")
                return 0
        except GLib.Error:
            pass
        time.sleep(0.2)
    print("missing")
    return 1


if __name__ == "__main__":
    sys.exit(main())
