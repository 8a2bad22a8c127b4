#!/usr/bin/env python3
"""Walks the installer window as a screen reader user meets it: waits for
the choices, prints the tree, presses Install through the button's own
accessible action, waits for the question that ends the install and prints
the tree again. Lines as walk_tree.py prints them, after a line "== choices"
and a line "== installed". Exit 3 when pyatspi is missing, 4 when the
program does not show up on the bus in time, 5 when a step never comes."""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
try:
    import pyatspi
except ImportError:
    sys.exit(3)
from walk_tree import describe, find_application


def find(node, role, name):
    """The first object of that role and name below node, or None."""
    if node.getRoleName() == role and node.name == name:
        return node
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is not None:
            found = find(child, role, name)
            if found is not None:
                return found
    return None


def wait_for(application, role, name, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = find(application, role, name)
        if found is not None and found.getState().contains(pyatspi.STATE_SHOWING):
            return found
        time.sleep(0.2)
    return None


def walk(application, title):
    out = ["== " + title]
    describe(application, 0, out)
    print("\n".join(out))
    sys.stdout.flush()


def main():
    seconds = float(sys.argv[2])
    application = find_application(sys.argv[1], seconds)
    if application is None:
        sys.exit(4)
    install = wait_for(application, "push button", "Install", seconds)
    if install is None:
        sys.exit(5)
    walk(application, "choices")
    action = install.queryAction()
    names = [action.getName(index) for index in range(action.nActions)]
    action.doAction(names.index("Press") if "Press" in names else 0)
    # The question whether to run the program comes once every item is in.
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if find(application, "push button", "Later") is not None:
            walk(application, "installed")
            return
        time.sleep(0.2)
    sys.exit(5)


main()
