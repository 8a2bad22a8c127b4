#!/usr/bin/env python3
"""Walks one program's accessible tree over the AT-SPI bus, as a screen
reader does, and prints one line per object: depth, role, name, then the
value, text, child count and states that matter. Exit 3 when pyatspi is
missing, 4 when the program does not show up on the bus in time."""
import sys
import time

try:
    import pyatspi
except ImportError:
    sys.exit(3)


def find_application(name, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            application = desktop.getChildAtIndex(index)
            if application is not None and application.name == name:
                return application
        time.sleep(0.2)
    return None


def describe(node, depth, out):
    role = node.getRoleName()
    parts = ["%d" % depth, role, repr(node.name)]
    try:
        value = node.queryValue()
        parts.append("value=%g/%g" % (value.currentValue, value.maximumValue))
    except NotImplementedError:
        pass
    try:
        text = node.queryText()
        parts.append("text=%r" % text.getText(0, -1))
    except NotImplementedError:
        pass
    states = node.getState()
    if states.contains(pyatspi.STATE_SELECTED):
        parts.append("selected")
    if states.contains(pyatspi.STATE_MULTISELECTABLE):
        parts.append("multiselectable")
    if states.contains(pyatspi.STATE_FOCUSED):
        parts.append("focused")
    parts.append("children=%d" % node.childCount)
    out.append(" ".join(parts))
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is not None:
            describe(child, depth + 1, out)


def main():
    application = find_application(sys.argv[1], float(sys.argv[2]) if len(sys.argv) > 2 else 30)
    if application is None:
        sys.exit(4)
    out = []
    describe(application, 0, out)
    print("\n".join(out))
    sys.stdout.flush()


if __name__ == "__main__":
    main()
