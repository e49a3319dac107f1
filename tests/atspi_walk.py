# Lists the named controls of Albumino's main window as a screen reader finds them over
# AT-SPI, and fails when one that must be named is not.
import sys
import time

import pyatspi

# Names that only the controls themselves carry: an edit under its column, navigator buttons,
# the picture, a grid.
REQUIRED = ["Ubrugt, Antal og katalogværdi", "Tilføj", "Nyt land", "Billede", "Oversigt"]


def find_application():
    for _ in range(40):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name.lower() == "albumino":
                return app
        time.sleep(0.25)
    return None


def walk(node, depth, found):
    if node is None or depth > 40:
        return
    try:
        name = node.name
        role = node.getRoleName()
    except Exception:
        return
    if name:
        found.append((role, name))
    for child in node:
        walk(child, depth + 1, found)


app = find_application()
if app is None:
    print("albumino is not on the accessibility bus")
    sys.exit(1)
found = []
walk(app, 0, found)
for role, name in found:
    print(f"{role}: {name}")
names = {name for _, name in found}
missing = [name for name in REQUIRED if name not in names]
if missing:
    print("not named:", ", ".join(missing))
    sys.exit(1)
print(f"{len(found)} named controls")
