"""The X windows and the accessibility tree of one running program, as
tools/soak sees them: xdotool and xprop for windows, AT-SPI for what a screen
reader would read."""
import re
import subprocess
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402


def run(*argv, timeout=20):
    try:
        done = subprocess.run(argv, capture_output=True, text=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        return ""
    return done.stdout


def xdo(*args):
    return run("xdotool", *args)


def visible_windows():
    """The program's shown top-level windows, popups and tooltips included. Found
    by class: a search by process also returns the window manager's frames."""
    return [int(w) for w in xdo("search", "--onlyvisible", "--classname", "^cutwright$").split()]


def window_name(wid):
    """The title the program gave, without the name Qt appends to it."""
    return xdo("getwindowname", str(wid)).strip().removesuffix(" \u2014 MWSO Cutwright")


def window_kind(wid):
    """"tooltip", "menu", "dialog" or "normal", from the type the toolkit gave it."""
    types = run("xprop", "-id", str(wid), "_NET_WM_WINDOW_TYPE")
    if "TOOLTIP" in types:
        return "tooltip"
    if "MENU" in types or "COMBO" in types:
        return "menu"
    if "DIALOG" in types:
        return "dialog"
    return "normal"


def geometry(wid):
    shell = dict(line.split("=", 1) for line in
                 xdo("getwindowgeometry", "--shell", str(wid)).split() if "=" in line)
    return tuple(int(shell.get(k, 0)) for k in ("X", "Y", "WIDTH", "HEIGHT"))


def activate(wid):
    if xdo("getactivewindow").strip() != str(wid):
        xdo("windowactivate", "--sync", str(wid))


def close(wid):
    """Asks politely, through the window manager, as the title bar's close button does."""
    run("wmctrl", "-i", "-c", hex(wid))


def application(pid, wait=15):
    """The program on the accessibility bus; the registry may take a moment to
    list it after the bus itself was started for this question."""
    deadline = time.monotonic() + wait
    while True:
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is not None and app.get_process_id() == pid:
                return app
        if time.monotonic() > deadline:
            return None
        time.sleep(0.5)


def nodes(pid, limit=6000):
    """Every accessible of the program: (role, name, description, node); None
    when the program is not on the accessibility bus."""
    app = application(pid)
    if app is None:
        return None
    found, queue = [], [app]
    while queue and len(found) < limit:
        node = queue.pop()
        try:
            found.append((node.get_role_name(), node.get_name() or "",
                          node.get_description() or "", node))
            queue.extend(c for c in (node.get_child_at_index(i)
                                     for i in range(node.get_child_count())) if c is not None)
        except gi.repository.GLib.Error:
            continue  # a widget that went away while it was being read
    return found


EXPORT_ALL = re.compile(r"Export All \((\d+)\)")


def shown_clip_count(found):
    """The count on the Export All button, if the accessibility tree carries it."""
    for _, name, description, _ in found:
        for text in (name, description):
            match = EXPORT_ALL.search(text)
            if match:
                return int(match.group(1))
    return None


def press(found, name):
    """Presses the push button called NAME; False when there is none."""
    for role, label, _, node in found:
        if label == name and "button" in role:
            try:
                node.get_action_iface().do_action(0)
                return True
            except (AttributeError, gi.repository.GLib.Error):
                return False
    return False
