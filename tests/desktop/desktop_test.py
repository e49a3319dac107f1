#!/usr/bin/python3
"""Albumino on a real desktop: Xvfb, the openbox window manager and the accessibility bus.

Every check copies the installed program folder, seeds a small collection, starts the
program there and drives it with real input only: xdotool moves and clicks the mouse, turns
the wheel and types, and windows are closed through the window manager. What the program
shows is read from the screen, from the window manager's view of its windows and over
AT-SPI; what it stored is read from its table files after it has exited.

Usage: desktop_test.py PROGRAM_FOLDER [CHECK ...]
Screenshots go to $ALBUMINO_DESKTOP_SHOTS (a new temporary folder when unset).
"""

import argparse
import os
import re
import shutil
import signal
import sqlite3
import subprocess
import sys
import tempfile
import time
from contextlib import closing
from pathlib import Path

SCREEN_WIDTH, SCREEN_HEIGHT = 1280, 1024
DANISH, DEUTSCH = -1, 3
LANGUAGE_MENU = "Sprog/Language\\Sprache"

# Two stamps of one country with different catalogues, both catalogues in their pick list.
# The first stamp's Anskaffet, Kunstner and Notater hold their own captions, so the stamp
# page shows each caption's text in the edit beside it, in the font of the label.
STAMPS = [
    {"Land": "Danmark", "Katalog": "AFA", "Katalognr": "1", "Paalydende": "10",
     "Motiv": "Svane", "Anskaffet": "Anskaffet", "Kunstner": "Kunstner",
     "Notater": "Notater", "Antal": 1},
    {"Land": "Danmark", "Katalog": "Facit", "Katalognr": "2", "Paalydende": "20",
     "Motiv": "Skib", "Antal": 1},
]
CATALOGUES = ["AFA", "Facit"]
# A control that only each page shows: the page is open once it is on the screen.
PAGE_MARKS = {"Frimærker": ("table", "Frimærker"), "Registrering": ("push button", "Tilføj"),
              "Oversigt": ("table", "Oversigt")}


class CheckFailure(Exception):
    """An expectation the program did not meet; the message is the one-line reason."""


class CheckSkipped(Exception):
    """The machine lacks what the check needs; the message says what."""


class ProgramEnded(CheckFailure):
    """The program is gone while a check still waits for it."""


def run(*command, check=True):
    return subprocess.run(command, check=check, capture_output=True, text=True).stdout


def wait_for(what, condition, timeout=10.0, interval=0.1):
    """Polls condition until it returns something true, and returns that."""
    deadline = time.monotonic() + timeout
    last_error = None
    while True:
        try:
            value = condition()
            if value:
                return value
        except ProgramEnded:
            raise
        except Exception as error:  # a window or a control that is not there yet, or going
            last_error = error
        if time.monotonic() > deadline:
            raise CheckFailure(f"timed out waiting for {what}"
                               + (f" ({last_error})" if last_error else ""))
        time.sleep(interval)


def appears(condition, timeout):
    """Waits for something that may rightly never come; None when it does not."""
    try:
        return wait_for("", condition, timeout=timeout)
    except ProgramEnded:
        raise
    except CheckFailure:
        return None


def holds(condition, duration):
    """Polls condition for duration seconds; False as soon as it fails."""
    deadline = time.monotonic() + duration
    while time.monotonic() < deadline:
        if not condition():
            return False
        time.sleep(0.1)
    return True


# --- the X desktop ---------------------------------------------------------------------

def xprop(window, *atoms):
    return run("xprop", "-id", str(window), *atoms, check=False)


def client_windows():
    return [int(w, 16) for w in re.findall(
        r"0x[0-9a-f]+", run("xprop", "-root", "_NET_CLIENT_LIST", check=False))]


def window_pid(window):
    match = re.search(r"_NET_WM_PID\(CARDINAL\) = (\d+)", xprop(window, "_NET_WM_PID"))
    return int(match.group(1)) if match else None


def window_type(window):
    match = re.search(r"= _NET_WM_WINDOW_TYPE_(\w+)", xprop(window, "_NET_WM_WINDOW_TYPE"))
    return match.group(1) if match else None


def window_title(window):
    match = re.search(r'^_NET_WM_NAME\(UTF8_STRING\) = "(.*)"$',
                      xprop(window, "_NET_WM_NAME"), re.M)
    return match.group(1).replace('\\"', '"') if match else None


def client_geometry(window):
    """The client window's screen position and size: (x, y, width, height)."""
    info = run("xwininfo", "-id", str(window))
    return tuple(int(re.search(rf"{key}:\s+(-?\d+)", info).group(1)) for key in
                 ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))


def outer_geometry(window):
    """The window as openbox frames it: the client grown by _NET_FRAME_EXTENTS."""
    x, y, width, height = client_geometry(window)
    match = re.search(r"= (\d+), (\d+), (\d+), (\d+)", xprop(window, "_NET_FRAME_EXTENTS"))
    if not match:
        raise CheckFailure("the window manager has not framed the window")
    left, right, top, bottom = map(int, match.groups())
    return (x - left, y - top, width + left + right, height + top + bottom)


def move_pointer(x, y):
    # xdotool's --sync waits for the pointer to move, so it would hang where it stands already.
    if run("xdotool", "getmouselocation").split()[:2] != [f"x:{int(x)}", f"y:{int(y)}"]:
        run("xdotool", "mousemove", "--sync", str(int(x)), str(int(y)))


def click_at(x, y):
    move_pointer(x, y)
    run("xdotool", "click", "1")


def key(*names):
    run("xdotool", "key", *names)


def wheel(steps):
    """Turns the wheel under the pointer: positive steps down (button 5), negative up (4)."""
    for _ in range(abs(steps)):
        run("xdotool", "click", "5" if steps > 0 else "4")


def grab_screen(path, region=None):
    command = ["import", "-window", "root"]
    if region:
        x, y, width, height = region
        command += ["-crop", f"{width}x{height}+{x}+{y}", "+repage"]
    run(*command, str(path))
    return path


def differing_pixels(first, second):
    result = subprocess.run(["compare", "-metric", "AE", str(first), str(second), "null:"],
                            capture_output=True, text=True)
    match = re.match(r"\s*([\d.e+]+)", result.stderr)
    if result.returncode > 1 or not match:
        raise CheckFailure(f"compare failed: {result.stderr.strip()}")
    return int(float(match.group(1)))


def steady_shot(path, region):
    """A screenshot of region once two grabs in a row agree, so painting has finished."""
    again = path.with_name(path.stem + "-again.png")
    wait_for(f"{path.name} to stop changing", lambda: differing_pixels(
        grab_screen(path, region), grab_screen(again, region)) == 0)
    again.unlink()
    return path


def union(boxes):
    left, top = min(b[0] for b in boxes), min(b[1] for b in boxes)
    return (left, top, max(b[0] + b[2] for b in boxes) - left,
            max(b[1] + b[3] for b in boxes) - top)


# --- the accessibility tree ------------------------------------------------------------

pyatspi = None  # imported once the accessibility bus runs


def extents(node):
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return (box.x, box.y, box.width, box.height)


def centre(node):
    x, y, width, height = extents(node)
    return x + width // 2, y + height // 2


def has_state(node, state):
    return node.getState().contains(state)


def showing(node):
    return has_state(node, pyatspi.STATE_SHOWING)


def children(node):
    return [child for child in node if child is not None]


def descendants(node):
    """Depth first, skipping whatever is not on the screen (hidden pages, closed menus)."""
    for child in children(node):
        if showing(child):
            yield child
            yield from descendants(child)


def find_all(root, role=None, name=None):
    return [node for node in descendants(root)
            if (role is None or node.getRoleName() == role)
            and (name is None or node.name == name)]


def find(root, role=None, name=None):
    found = find_all(root, role, name)
    if not found:
        raise CheckFailure(f"no {role or 'control'} named {name!r} on the screen")
    return found[0]


def click(node):
    click_at(*centre(node))


def label_text(node):
    """What a label shows: its text where it offers one, else its name."""
    try:
        text = node.queryText()
        return text.getText(0, text.characterCount)
    except NotImplementedError:
        return node.name


# --- the program ------------------------------------------------------------------------

class Program:
    """One scratch copy of the program folder with its own collection, and its runs."""

    def __init__(self, desktop, name):
        self.desktop = desktop
        self.name = name
        self.folder = desktop.scratch / name
        shutil.copytree(desktop.program_folder, self.folder, symlinks=True)
        self.data = self.folder / "Data"
        self.process = self.window = self.log = self._application = None
        desktop.programs.append(self)

    # The collection.
    def seed(self, config=(768, 1024, DANISH)):
        shutil.copytree(self.desktop.template_data, self.data)
        self.write_config(*config)
        with self.table("Tmb_Land.db") as db:
            db.executemany("INSERT INTO Tmb_Land (Land) VALUES (?)",
                           [(land,) for land in sorted({s["Land"] for s in STAMPS})])
        with self.table("Tmb_Kata.db") as db:
            db.executemany("INSERT INTO Tmb_Kata (Katalog) VALUES (?)",
                           [(name,) for name in CATALOGUES])
        with self.table("Tmb_Mark.DB") as db:
            for stamp in STAMPS:
                db.execute(f"INSERT INTO Tmb_Mark ({', '.join(stamp)}) "
                           f"VALUES ({', '.join('?' for _ in stamp)})", tuple(stamp.values()))
        return self

    def table(self, file_name):
        connection = sqlite3.connect(self.data / file_name)
        connection.isolation_level = None  # each statement commits; the file closes after
        return closing(connection)

    def write_config(self, height, width, language):
        with self.table("Config.DB") as db:
            db.execute("DELETE FROM Config")
            db.execute("INSERT INTO Config (Hojde, Bredde, Sprog) VALUES (?, ?, ?)",
                       (height, width, language))

    def config(self):
        """(Hojde, Bredde, Sprog) as stored."""
        with self.table("Config.DB") as db:
            rows = db.execute("SELECT Hojde, Bredde, Sprog FROM Config").fetchall()
        if len(rows) != 1:
            raise CheckFailure(f"Config holds {len(rows)} rows")
        return rows[0]

    def stamps(self, *columns):
        with self.table("Tmb_Mark.DB") as db:
            return db.execute(f"SELECT {', '.join(('Num',) + columns)} FROM Tmb_Mark "
                              "ORDER BY Num").fetchall()

    # A run.
    def start(self):
        move_pointer(1, 1)  # away from where the window will come
        self.log = open(self.folder / "albumino.log", "ab")
        self.process = subprocess.Popen(["./albumino"], cwd=self.folder, env=self.desktop.env,
                                        stdout=self.log, stderr=subprocess.STDOUT,
                                        start_new_session=True)
        self.window = self._application = None
        return self

    def running(self):
        return self.process is not None and self.process.poll() is None

    def alive(self):
        if not self.running():
            raise ProgramEnded(f"the program ended with exit code {self.process.returncode}"
                               f"{self.keep_log()}")

    def keep_log(self):
        """Keeps the program's output beside the screenshots; says where."""
        kept = self.desktop.shots / f"{self.name}-albumino.log"
        shutil.copyfile(self.folder / "albumino.log", kept)
        return f" (output in {kept})"

    def application(self):
        """The program's accessible application, found by its process id."""
        self.alive()
        if self._application is None:
            def registered():
                self.alive()
                return next((app for app in children(pyatspi.Registry.getDesktop(0))
                             if app.get_process_id() == self.process.pid), None)
            self._application = wait_for("the program on the accessibility bus", registered,
                                         timeout=20)
        self._application.clear_cache()  # names and states are read fresh every time
        return self._application

    def windows(self, kind):
        return [w for w in client_windows() if window_pid(w) == self.process.pid
                and window_type(w) == kind and "IsViewable" in run("xwininfo", "-id", str(w))]

    def mapped_main_window(self):
        self.alive()
        return next((w for w in self.windows("NORMAL")
                     if "WM_TRANSIENT_FOR(WINDOW)" not in xprop(w, "WM_TRANSIENT_FOR")), None)

    def wait_main_window(self):
        """The main window once it is mapped, has kept its place for half a second and its
        menu bar is on AT-SPI."""
        history = []

        def settled():  # the splash may still be going when the main window comes
            window = self.mapped_main_window()
            history.append((window, outer_geometry(window)) if window else None)
            return window if window and len(set(history[-5:])) == 1 and len(history) >= 5 \
                else None
        self.window = wait_for("the main window", settled, timeout=30)
        wait_for("the main window on AT-SPI", lambda: self.find_all("menu bar"), timeout=20)
        return self.window

    def shown_box(self):
        """The message box on the screen, if there is one."""
        return next((node for node in children(self.application())
                     if node.getRoleName() in ("alert", "dialog") and showing(node)), None)

    def wait_box(self, what):
        """The message box the program shows: its accessible and its X window."""
        box = wait_for(what, self.shown_box)
        window = wait_for(f"the window of {what}", lambda: next(
            (w for w in self.windows("DIALOG") + self.windows("NORMAL") if w != self.window),
            None))
        return box, window

    def wait_box_gone(self):
        wait_for("the message box to close", lambda: not self.shown_box())

    def close_by_window_manager(self, timeout=30):
        """Asks openbox to close the main window (the close button's request) and waits for
        the program to end."""
        run("wmctrl", "-i", "-c", hex(self.window))
        try:
            self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise CheckFailure("the program did not end when the window manager closed it")
        finally:
            self.log.close()
        if self.process.returncode != 0:
            raise CheckFailure(f"the program ended with exit code {self.process.returncode}"
                               f"{self.keep_log()}")

    def stop(self):
        """Ends a run that a failed check left behind."""
        if self.running():
            os.killpg(self.process.pid, signal.SIGKILL)
            self.process.wait()
        if self.log:
            self.log.close()

    # What it shows.
    def find(self, role=None, name=None):
        return find(self.application(), role, name)

    def find_all(self, role=None, name=None):
        return find_all(self.application(), role, name)

    def open_page(self, title):
        click(self.find("page tab", title))
        wait_for(f"the page {title}", lambda: self.find_all(*PAGE_MARKS[title]))

    def status_text(self):
        return self.find("status bar").name

    def open_menu(self, title):
        """Clicks a menu bar title; returns the items of the menu that opens."""
        click(self.find("menu item", title))
        return self.menu_items(title)

    def menu_items(self, title):
        popup = wait_for(f"the menu {title}", lambda: next(
            node for node in children(self.find("menu item", title))
            if node.getRoleName() == "popup menu" and showing(node) and extents(node)[2]))
        return [item for item in children(popup)
                if item.getRoleName() == "menu item" and item.name]

    def hover_items(self, items):
        for item in items:
            move_pointer(*centre(item))
            wait_for(f"{item.name} to be highlighted",
                     lambda: has_state(item, pyatspi.STATE_FOCUSED)
                     or has_state(item, pyatspi.STATE_SELECTED))

    def close_menu(self):
        key("Escape")
        wait_for("the menu to close", lambda: not [
            node for node in self.find_all("popup menu") if extents(node)[2]])

    def shot(self, label, region=None):
        return grab_screen(self.desktop.shots / f"{self.name}-{label}.png", region)

    def steady_shot(self, label, region):
        return steady_shot(self.desktop.shots / f"{self.name}-{label}.png", region)


# --- the desktop session ----------------------------------------------------------------

class Desktop:
    """Xvfb, openbox, a private session bus and the accessibility bus, for the whole run."""

    def __init__(self, program_folder, shots):
        self.program_folder = Path(program_folder).resolve()
        self.scratch = Path(tempfile.mkdtemp(prefix="albumino-desktop-"))
        self.shots = Path(shots)
        self.shots.mkdir(parents=True, exist_ok=True)
        self.services, self.programs, self.observations = [], [], {}
        home, runtime = self.scratch / "home", self.scratch / "runtime"
        home.mkdir()
        runtime.mkdir(mode=0o700)
        self.env = {key: value for key, value in os.environ.items()
                    if key not in ("QT_ACCESSIBILITY", "NO_AT_BRIDGE", "WAYLAND_DISPLAY",
                                   "SESSION_MANAGER")}
        self.env.update({
            "HOME": str(home), "XDG_RUNTIME_DIR": str(runtime),
            "XDG_CONFIG_HOME": str(home / ".config"), "XDG_CACHE_HOME": str(home / ".cache"),
            "QT_QPA_PLATFORM": "xcb", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            "ASAN_OPTIONS": ":".join(filter(None, [os.environ.get("ASAN_OPTIONS"),
                                                   "detect_leaks=0"])),
            "LC_ALL": "C.UTF-8",
        })

    def __enter__(self):
        try:
            self._start_display()
            self._start_session_bus()
            self._start_window_manager()
            self._start_accessibility_bus()
            self._make_template()
        except BaseException:
            self.__exit__()
            raise
        return self

    def __exit__(self, *exc):
        self.stop_programs()
        for service in reversed(self.services):
            if service.poll() is None:
                os.killpg(service.pid, signal.SIGTERM)  # its own group: it and its helpers
                try:
                    service.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    os.killpg(service.pid, signal.SIGKILL)
                    service.wait()
        shutil.rmtree(self.scratch, ignore_errors=True)

    def _service(self, command, **options):
        process = subprocess.Popen(command, env=self.env, start_new_session=True,
                                   stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                   **options)
        self.services.append(process)
        return process

    def _export(self, variable, value):
        self.env[variable] = os.environ[variable] = value

    def _start_display(self):
        read_end, write_end = os.pipe()
        self._service(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                       f"{SCREEN_WIDTH}x{SCREEN_HEIGHT}x24", "-nolisten", "tcp"],
                      pass_fds=[write_end], stdout=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self._export("DISPLAY", f":{number}")

    def _start_session_bus(self):
        bus = self._service(["dbus-daemon", "--session", "--nofork", "--print-address"],
                            stdout=subprocess.PIPE, text=True)
        self._export("DBUS_SESSION_BUS_ADDRESS", bus.stdout.readline().strip())

    def _start_window_manager(self):
        self._service(["openbox", "--sm-disable"], stdout=subprocess.DEVNULL)
        wait_for("openbox to manage windows", lambda: "window id" in run(
            "xprop", "-root", "_NET_SUPPORTING_WM_CHECK", check=False))

    def _start_accessibility_bus(self):
        global pyatspi
        self._service(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                      stdout=subprocess.DEVNULL)
        # Asked without activating it, or the session bus would start a second launcher.
        wait_for("the accessibility bus", lambda: "true" in run(
            "dbus-send", "--session", "--dest=org.freedesktop.DBus", "--print-reply",
            "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
            "string:org.a11y.Bus", check=False))
        import pyatspi as module
        from gi.repository import GLib
        # Events about controls that are already gone are of no interest here.
        GLib.log_set_handler("dbind", GLib.LogLevelFlags.LEVEL_WARNING, lambda *_: None)
        pyatspi = module

    def _make_template(self):
        """Lets the program create its table files once; every check copies them."""
        program = Program(self, "template").start()
        box, _ = program.wait_box("the first start's information")
        click(find(box, "push button", "OK"))
        program.wait_main_window()
        program.close_by_window_manager()
        self.template_data = program.data

    def stop_programs(self):
        for program in self.programs:
            program.stop()

    def program(self, name, **seed):
        return Program(self, name).seed(**seed)

    def observe(self, scenario):
        """Runs a scenario that several checks read, once, and keeps what it saw."""
        if scenario not in self.observations:
            try:
                self.observations[scenario] = scenario(self)
            except CheckFailure as failure:
                self.observations[scenario] = failure
        seen = self.observations[scenario]
        if isinstance(seen, CheckFailure):
            raise seen
        return seen


# --- the checks -------------------------------------------------------------------------

CHECKS = {}


def check(name):
    def register(function):
        CHECKS[name] = function
        return function
    return register


def fail_if(problems):
    problems = [problem for problem in problems if problem]
    if problems:
        raise CheckFailure("; ".join(problems))


@check("window-size")
def check_window_size(desktop):
    """The stored size is the outer size: shown as stored, centred, and stored back."""
    problems = []
    program = desktop.program("window-size", config=(600, 800, DANISH))
    for start in ("first", "second"):
        program.start()
        x, y, width, height = outer_geometry(program.wait_main_window())
        program.shot(f"{start}-start")
        if (width, height) != (800, 600):
            problems.append(f"{start} start: outer size {width}x{height} for a stored 800x600")
        elif abs(x - (SCREEN_WIDTH - width) / 2) > 2 or abs(y - (SCREEN_HEIGHT - height) / 2) > 2:
            problems.append(f"{start} start: frame at {x},{y}, not centred")
        program.close_by_window_manager()
        if program.config()[:2] != (600, 800):
            problems.append(f"after the {start} start Config holds Hojde, Bredde "
                            f"{program.config()[:2]}")

    large = desktop.program("window-size-large", config=(3000, 3000, DANISH))
    large.start()
    x, y, width, height = outer_geometry(large.wait_main_window())
    large.shot("start")
    if x < 0 or y < 0 or x + width > SCREEN_WIDTH or y + height > SCREEN_HEIGHT:
        problems.append(f"stored 3000x3000: the frame ({width}x{height} at {x},{y}) "
                        "leaves the screen")
    large.close_by_window_manager()
    if large.config()[:2] != (height, width):
        problems.append(f"stored 3000x3000: Config then holds Hojde, Bredde "
                        f"{large.config()[:2]} after showing {width}x{height}")
    fail_if(problems)
    return (f"800x600 outer and centred at both starts and stored back; 3000x3000 shown "
            f"as {width}x{height} and stored so")


def pick_list(program, group, caption):
    """The combo box beside a caption in a group (a closed one is named by its value)."""
    items = children(program.find("panel", group))
    for index, node in enumerate(items):
        if node.getRoleName() == "label" and node.name == caption:
            following = [n for n in items[index + 1:] if n.getRoleName() == "combo box"]
            if following:
                return following[0]
    return find(program.find("panel", group), "combo box", caption)


@check("wheel")
def check_wheel(desktop):
    """The wheel over a closed pick list neither changes the stamp nor the overview."""
    problems = []
    program = desktop.program("wheel")
    before = program.stamps("Katalog")
    program.start()
    program.wait_main_window()

    program.open_page("Registrering")
    move_pointer(*centre(pick_list(program, "Vælg fra eksisterende", "Katalog")))
    for steps in (2, -2, 2):
        wheel(steps)

    program.open_page("Oversigt")
    wait_for("the overview's count", lambda: "fundet" in program.status_text())
    grid = program.find("table", "Oversigt")
    # The totals' values beside their captions carry the captions' names and, where screen
    # readers hear them, the values as descriptions; the screenshot covers them either way.
    total_labels = [node for node in program.find_all("label")
                    if node.name in ("Værdi i alt", "Antal i alt")]
    totals = union([extents(node) for node in total_labels])

    def overview():
        return (program.status_text(), grid.queryTable().nRows,
                [node.description for node in total_labels])
    shown = overview()
    totals_before = program.steady_shot("totals-before", totals)
    move_pointer(*centre(pick_list(program, "Udvælgelse", "Katalog")))
    for steps in (2, -1, 1):
        wheel(steps)
    if not holds(lambda: overview() == shown, duration=1.5):
        now = overview()
        problems.append(f"the overview went from {shown[0]!r} ({shown[1]} rows) to "
                        f"{now[0]!r} ({now[1]} rows) under the wheel")
    pixels = differing_pixels(totals_before, program.shot("totals-after", totals))
    if pixels:
        problems.append(f"the totals changed under the wheel ({pixels} pixels)")

    program.close_by_window_manager()
    after = program.stamps("Katalog")
    if after != before:
        problems.append(f"the stamps' Katalog went from {before} to {after}")
    fail_if(problems)
    return f"the stamps kept their Katalog and the overview its {shown[0]!r}"


def hover_menus(program, page, titles):
    """Hovers every item of the menus; the status bar must look as before. A problem or
    None."""
    bar = extents(program.find("status bar"))
    before = program.steady_shot(f"{page}-status-before", bar)
    items = program.open_menu(titles[0])
    for title in titles:
        if title != titles[0]:  # an open menu follows the pointer along the menu bar
            move_pointer(*centre(program.find("menu item", title)))
            items = program.menu_items(title)
        program.hover_items(items)
    program.close_menu()
    move_pointer(1, 1)
    after = program.desktop.shots / f"{program.name}-{page}-status-after.png"
    if appears(lambda: differing_pixels(before, grab_screen(after, bar)) == 0, timeout=3):
        return None
    return (f"on {page} the status bar changed after hovering the menus "
            f"({differing_pixels(before, after)} pixels; it reads {program.status_text()!r})")


@check("status-bar")
def check_status_bar(desktop):
    """Hovering the menus leaves the status bar's text alone."""
    problems = []
    program = desktop.program("status-bar")
    program.start()
    program.wait_main_window()
    if not appears(lambda: program.status_text() == "Morvane Software", timeout=5):
        problems.append(f"the first page's status bar reads {program.status_text()!r}")
    problems.append(hover_menus(program, "Frimærker", ["Funktioner", "Hjælp"]))

    program.open_page("Oversigt")
    count = wait_for("the overview's count in the status bar", lambda: re.fullmatch(
        r"Der er fundet \d+ frimærke\(r\)\.", program.status_text()))
    problems.append(hover_menus(program, "Oversigt", ["Funktioner", "Hjælp"]))
    program.close_by_window_manager()
    fail_if(problems)
    return f"'Morvane Software' and {count.group(0)!r} stayed through the menus"


def data_location_run(desktop):
    """Funktioner, Dataplacering: the titles and the box's text."""
    program = desktop.program("data-location")
    program.start()
    window = program.wait_main_window()
    seen = {"main title": window_title(window), "folder": program.data}
    items = program.open_menu("Funktioner")
    click(next(item for item in items if item.name == "Dataplacering"))
    box, box_window = program.wait_box("the Dataplacering box")
    seen["box title"] = window_title(box_window)
    seen["text"] = max((label_text(node) for node in find_all(box, "label")), key=len,
                       default="")
    wait_for("the box to be active", lambda: has_state(box, pyatspi.STATE_ACTIVE))
    program.shot("box")
    key("Return")
    program.wait_box_gone()
    program.close_by_window_manager()
    return seen


def german_run(desktop):
    program = desktop.program("german", config=(768, 1024, DEUTSCH))
    program.start()
    title = window_title(program.wait_main_window())
    program.shot("start")
    program.close_by_window_manager()
    return {"main title": title}


@check("message-breaks")
def check_message_breaks(desktop):
    """The Dataplacering box breaks its lines once, where the text does."""
    seen = desktop.observe(data_location_run)
    lines = [line.strip() for line in re.split(r"\r\n|\r|\n", seen["text"])]
    expected = ["Data for dette program er placeret i:", "", str(seen["folder"]), "",
                "Det er meget vigtigt, at du sikkerhedskopierer filer i datamappen mindst "
                "en gang om dagen!", "", "VIGTIGT!",
                "Dette program må IKKE være åbent under sikkerhedskopiering af data."]
    if lines != expected:
        raise CheckFailure(f"the box shows {len(lines)} lines where 8 are meant: "
                           f"{seen['text']!r}")
    return "8 lines, each as meant"


@check("captions")
def check_captions(desktop):
    """Window titles are the program's captions, with nothing added."""
    seen = desktop.observe(data_location_run)
    problems = [f"the {what} is {seen[what]!r}" for what in ("main title", "box title")
                if seen[what] != "Albumino"]
    german = desktop.observe(german_run)["main title"]
    if german != "Dizadariduz":
        problems.append(f"the main title in Deutsch is {german!r}")
    fail_if(problems)
    return "'Albumino' for the window and the box, 'Dizadariduz' in Deutsch"


@check("untouched-new-stamp")
def check_untouched_new_stamp(desktop):
    """A close drops a new stamp nobody typed into, and saves text typed into the grid."""
    problems = []
    program = desktop.program("new-stamp")
    count = len(program.stamps())
    program.start()
    program.wait_main_window()
    program.open_page("Registrering")
    save = program.find("push button", "Gem")
    click(program.find("push button", "Tilføj"))
    wait_for("the new stamp in edit", lambda: has_state(save, pyatspi.STATE_ENABLED))
    program.close_by_window_manager()
    if len(program.stamps()) != count:
        problems.append(f"an untouched new stamp was stored ({count} stamps became "
                        f"{len(program.stamps())})")

    program = desktop.program("grid-edit")
    program.start()
    program.wait_main_window()
    program.open_page("Oversigt")
    table = program.find("table", "Oversigt").queryTable()
    column = next(c for c in range(table.nColumns) if table.getColumnHeader(c).name == "Katalog")
    cell = table.getAccessibleAt(0, column)
    click(cell)
    wait_for("the clicked cell to be current", lambda: has_state(cell, pyatspi.STATE_FOCUSED))
    before = program.steady_shot("cell-before", extents(cell))
    run("xdotool", "type", "--delay", "40", "Michel")
    wait_for("the typed text in the grid", lambda: differing_pixels(
        before, program.shot("cell-typed", extents(cell))))
    program.close_by_window_manager()
    stored = program.stamps("Katalog")[0][1]
    if stored != "Michel":
        problems.append(f"the text typed into the overview was not stored "
                        f"(the first stamp's Katalog is {stored!r})")
    fail_if(problems)
    return "the untouched new stamp was dropped; the grid's typed text was stored"


CAPTIONS = ("Anskaffet", "Kunstner", "Notater")


def caption_controls(program):
    """Each caption's label and its edit, which carries the caption as its name."""
    nodes = [node for node in program.find_all() if node.name in CAPTIONS]
    return {caption: [next(n for n in nodes if n.name == caption and n.getRoleName() == role)
                      for role in ("label", "text")]
            for caption in CAPTIONS}


def caption_layout(window, controls):
    """Each label's and edit's extents within the window, and the width of the caption as
    the edit beside it shows it, in the same font."""
    left, top = client_geometry(window)[:2]
    layout = {}
    for caption, (label, edit) in controls.items():
        text = edit.queryText()
        at = text.getText(0, text.characterCount).find(caption)
        shown = text.getRangeExtents(at, at + len(caption), pyatspi.DESKTOP_COORDS)
        layout[caption] = {what: (x - left, y - top, width, height) for what, (x, y, width, height)
                           in (("label", extents(label)), ("edit", extents(edit)))}
        layout[caption]["text width"] = shown[2]
    return layout


@check("labels-after-resize")
def check_labels_after_resize(desktop):
    """The right-aligned captions keep clear of their edits and fit their text at any size,
    and come back to where they were."""
    program = desktop.program("labels", config=(768, 1024, DANISH))
    program.start()
    window = program.wait_main_window()
    program.open_page("Registrering")
    controls = caption_controls(program)
    start_width, start_height = client_geometry(window)[2:]
    problems, layouts, sizes = [], [], []
    # Larger, then smaller than the design size (not so small that the smallest font
    # leaves a caption no room beside its edit), then back.
    for factor in (1.0, 1.2, 0.8, 1.0):
        width, height = round(start_width * factor), round(start_height * factor)
        size = f"{width}x{height}"
        if factor != 1.0 or layouts:
            run("xdotool", "windowsize", str(window), str(width), str(height))
            wait_for(f"the window at {size}",
                     lambda: client_geometry(window)[2:] == (width, height))
        history = []

        def steady():
            history.append(caption_layout(window, controls))
            return history[-1] if len(history) >= 3 and \
                history[-1] == history[-2] == history[-3] else None
        layout = wait_for(f"the stamp page laid out at {size}", steady)
        layouts.append(layout)
        sizes.append(size)
        program.shot(f"stamp-page-{len(layouts)}-{size}")
        for caption, seen in layout.items():
            x, _, label_width, _ = seen["label"]
            if x + label_width > seen["edit"][0]:
                problems.append(f"at {size} the label {caption} ends at {x + label_width}, "
                                f"under its edit from {seen['edit'][0]}")
            if label_width + 1 < seen["text width"]:
                problems.append(f"at {size} the label {caption} is {label_width} px wide for "
                                f"{seen['text width']} px of text")
    for caption in CAPTIONS:
        if layouts[-1][caption]["label"] != layouts[0][caption]["label"]:
            problems.append(f"back at {size} the label {caption} is at "
                            f"{layouts[-1][caption]['label']}, was {layouts[0][caption]['label']}")
    program.close_by_window_manager()
    fail_if(problems)
    return f"clear of their edits and wide enough at {', '.join(sizes)}, and back in place"


def close_error_box(program, what, timeout):
    """Closes the error message with its OK button; False when none comes within timeout."""
    box = appears(program.shown_box, timeout)
    if not box:
        return False
    program.shot(what.replace(" ", "-"))
    click(find(box, "push button", "OK"))
    program.wait_box_gone()
    return True


def unreadable_file():
    """A file that exists but that this user cannot open for reading. Root reads any file
    whatever its mode, but not a write-only attribute of the kernel's sysfs."""
    if os.geteuid() != 0:
        path = Path(tempfile.mkdtemp(prefix="albumino-unreadable-")) / "unreadable"
        path.touch(mode=0)
        return path
    for folder, _, files in os.walk("/sys/devices"):
        for name in files:
            path = Path(folder) / name
            try:
                if path.is_file() and not path.stat().st_mode & 0o444:
                    open(path, "rb").close()
            except PermissionError:
                return path
            except OSError:
                continue
    return None


def unreadable_deutsch(program):
    target = unreadable_file()
    if target is None:
        raise CheckSkipped("this machine has no file that cannot be read")
    (program.folder / "Deutsch.lng").unlink()
    (program.folder / "Deutsch.lng").symlink_to(target)


@check("language-failure")
def check_language_failure(desktop):
    """A language file that cannot be read is reported, and neither the stored choice nor
    the menu's mark pretends otherwise."""
    problems = []
    program = desktop.program("language-stored", config=(768, 1024, DEUTSCH))
    unreadable_deutsch(program)
    program.start()
    wait_for("an error message or the main window",
             lambda: program.shown_box() or program.mapped_main_window(), timeout=30)
    if not close_error_box(program, "error at the start", timeout=3):
        problems.append("no error message at a start whose Deutsch cannot be read")
    program.wait_main_window()
    program.close_by_window_manager()
    if program.config()[2] != DEUTSCH:
        problems.append(f"after a start whose Deutsch could not be read Config.Sprog is "
                        f"{program.config()[2]}, not {DEUTSCH}")

    program = desktop.program("language-chosen", config=(768, 1024, DANISH))
    unreadable_deutsch(program)
    program.start()
    program.wait_main_window()
    items = program.open_menu(LANGUAGE_MENU)
    click(next(item for item in items if item.name == "Deutsch"))
    if not close_error_box(program, "error on choosing Deutsch", timeout=5):
        problems.append("no error message on choosing a Deutsch that cannot be read")
    items = program.open_menu(LANGUAGE_MENU)
    checked = [item.name for item in items if has_state(item, pyatspi.STATE_CHECKED)]
    program.shot("language-menu")
    program.close_menu()
    program.close_by_window_manager()
    if checked != ["Dansk"]:
        problems.append(f"after Deutsch failed the language menu marks {checked}")
    fail_if(problems)
    return "reported at the start and on choosing; Sprog kept at 3; only Dansk marked"


@check("backup-menu")
def check_backup_menu(desktop):
    """Funktioner, "Sikkerhedskopi...": the folder dialog opens in the backup folder, the
    backup is made there and reported, in Danish and in English."""
    problems = []
    for language, title, done in (
            (DANISH, "Vælg mappe til sikkerhedskopier", "Sikkerhedskopien er gemt i:"),
            (0, "Choose the folder for backups", "The backup has been saved in:")):
        program = desktop.program(f"backup-{language}", config=(768, 1024, language))
        program.start()
        program.wait_main_window()
        items = program.open_menu("Funktioner" if language == DANISH else "Functions")
        click(next(item for item in items if item.name in ("Sikkerhedskopi...", "Backup...")))
        dialog, window = program.wait_box("the folder dialog")
        if window_title(window) != title:
            problems.append(f"the folder dialog is titled {window_title(window)!r}")
        wait_for("the dialog to be active", lambda: has_state(dialog, pyatspi.STATE_ACTIVE))
        key("Return")  # chooses the folder it opened in
        box, _ = program.wait_box("the backup's report")
        text = max((label_text(node) for node in find_all(box, "label")), key=len, default="")
        program.shot("report")
        if not text.startswith(done):
            problems.append(f"the report reads {text!r}")
        key("Return")
        program.wait_box_gone()
        program.close_by_window_manager()
        backups = sorted(p.name for p in (program.folder / "Sikkerhedskopier").iterdir())
        if len(backups) != 1 or not backups[0].startswith("Albumino "):
            problems.append(f"the backup folder holds {backups}")
    fail_if(problems)
    return "the dialog, the backup and its report, in Danish and English"


# --- running ----------------------------------------------------------------------------

def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("program_folder", help="the installed program folder to copy")
    parser.add_argument("checks", nargs="*", metavar="CHECK",
                        help=f"checks to run, all when none: {', '.join(CHECKS)}")
    arguments = parser.parse_args()
    unknown = [name for name in arguments.checks if name not in CHECKS]
    if unknown:
        parser.error(f"unknown checks: {', '.join(unknown)}")
    shots = os.environ.get("ALBUMINO_DESKTOP_SHOTS") or tempfile.mkdtemp(
        prefix="albumino-desktop-shots-")

    selected = arguments.checks or list(CHECKS)
    failed = 0
    started = time.monotonic()
    with Desktop(arguments.program_folder, shots) as desktop:
        for name in selected:
            began = time.monotonic()
            try:
                summary = CHECKS[name](desktop)
                print(f"PASS {name} ({time.monotonic() - began:.1f} s): {summary}", flush=True)
            except CheckSkipped as reason:
                print(f"SKIP {name}: {reason}", flush=True)
            except Exception as error:
                failed += 1
                reason = error if isinstance(error, CheckFailure) else repr(error)
                print(f"FAIL {name} ({time.monotonic() - began:.1f} s): {reason}", flush=True)
            finally:
                desktop.stop_programs()
    print(f"screenshots in {shots}")
    print(f"{len(selected) - failed} passed, {failed} failed "
          f"({time.monotonic() - started:.0f} s)")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
