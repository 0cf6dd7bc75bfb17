"""Prints "shown" when a running program shows a text (a message box's, a label's) of exactly these
words, read through the accessibility bus; "missing" (status 1) when none shows within ten seconds.
Arguments: the program's accessible name and the text."""
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

from menu_item_state import walk  # noqa: E402


def shows(program, text):
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        application = desktop.get_child_at_index(i)
        if application is None or application.get_name() != program:
            continue
        for node in walk(application):
            try:
                if node.get_name().strip() == text:
                    return True
            except GLib.Error:
                continue
    return False


def main():
    program, text = sys.argv[1], sys.argv[2]
    for _ in range(50):
        try:
            if shows(program, text):
                print("shown")
                return 0
        except GLib.Error:
            pass
        time.sleep(0.2)
    print("missing")
    return 1


if __name__ == "__main__":
    sys.exit(main())
