"""Reads and drives the running program's GTK file chooser and menu items through the accessibility
bus. Commands (the program's accessible name first):
  filters PROGRAM          prints the chooser's file-type filters, one a line
  choose PROGRAM NAME      makes the filter of that name the chooser's
  activate PROGRAM LABEL   activates the menu item of that label, as a click would
  alert PROGRAM            prints the text of the message box shown, if any
Each but alert waits up to ten seconds for what it needs and exits 1 when it never shows up; alert
looks once and exits 1 when no message box shows."""
import sys

sys.dont_write_bytecode = True  # nothing is written beside the sources
from menu_item_state import Atspi, GLib, application, find_item, retry, walk  # noqa: E402


def item_names(node):
    return [child.get_name() for child in walk(node) if child.get_role() == Atspi.Role.MENU_ITEM]


def filter_combo(program):
    """The combo box of the file chooser whose items name file patterns."""
    app = application(program)
    if app is None:
        return None
    for node in walk(app):
        try:
            if node.get_role() == Atspi.Role.COMBO_BOX and any("(*." in name for name in item_names(node)):
                return node
        except GLib.Error:
            continue
    return None


def main():
    command, program = sys.argv[1], sys.argv[2]
    if command == "filters":
        def show():
            combo = filter_combo(program)
            if combo is None:
                return False
            print("\n".join(name for name in item_names(combo) if name))
            return True
        return retry(show)
    if command == "choose":
        wanted = sys.argv[3]

        def choose():
            combo = filter_combo(program)
            items = item_names(combo) if combo is not None else []
            return wanted in items and combo.get_selection_iface().select_child(items.index(wanted))
        return retry(choose)
    if command == "activate":
        label = sys.argv[3]

        def activate():
            item = find_item(program, label)
            return item is not None and item.get_action_iface().do_action(0)
        return retry(activate)
    if command == "alert":
        app = application(program)
        for node in walk(app) if app is not None else []:
            if node.get_role() == Atspi.Role.ALERT and node.get_state_set().contains(Atspi.StateType.SHOWING):
                print(" ".join(label.get_name() for label in walk(node) if label.get_role() == Atspi.Role.LABEL))
                return 0
        return 1
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main())
