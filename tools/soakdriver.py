"""The soak itself: random input to the running program, dialogs answered,
and the checks at the end (see tools/soak)."""
import collections
import json
import os
import random
import signal
import subprocess
import time
from pathlib import Path

import soakwindow as win

KEYS = ["i", "o", "j", "k", "l", "space", "Return", "Escape", "1", "2", "3", "4",
        "Left", "Right", "Up", "Down", "ctrl+z", "ctrl+shift+z", "Delete", "Tab"]
RARE_KEYS = ["ctrl+e", "F1"]
TITLE = "MWSO Cutwright"
STUCK_AFTER = 20  # seconds a window may resist being answered or closed


class Fault(Exception):
    pass


class Soak:
    def __init__(self, program, home, videos, seed):
        self.program, self.home, self.videos, self.seed = program, home, videos, seed
        self.random = random.Random(seed)
        self.session = home / ".local/share/Marrowick/Cutwright/session.json"
        self.counts = collections.Counter()
        self.dismissed = collections.Counter()
        self.recent = collections.deque(maxlen=40)
        self.faults = []
        self.pending = {}  # window -> [first seen, attempts, kind, title]
        self.env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        self.started = time.monotonic()

    # The program and its main window.

    def note(self, what):
        self.recent.append(f"{time.monotonic() - self.started:8.2f}s {what}")

    def launch(self):
        self.log = open(self.home / "cutwright.log", "w")
        self.app = subprocess.Popen([str(self.program)] + self.videos, env=self.env,
                                    stdout=self.log, stderr=subprocess.STDOUT, cwd=self.home)
        self.note("start with " + " ".join(Path(v).name for v in self.videos))
        deadline = time.monotonic() + 90
        while time.monotonic() < deadline:
            self.alive_or_fault()
            for wid in win.visible_windows():
                if win.window_name(wid) == TITLE and win.window_kind(wid) == "normal":
                    self.main = wid
                    self.area = win.geometry(wid)
                    return
            time.sleep(0.2)
        raise Fault("the main window did not show within 90 s")

    def alive_or_fault(self):
        status = self.app.poll()
        if status is not None:
            how = f"killed by {signal.Signals(-status).name}" if status < 0 else f"exit status {status}"
            raise Fault(f"the program ended by itself ({how})")

    def imported(self):
        try:
            doc = json.loads(self.session.read_text())
        except (OSError, ValueError):
            return 0
        return len(doc.get("sources", []))

    def wait_for_imports(self):
        deadline = time.monotonic() + 120
        while self.imported() < len(self.videos):
            self.alive_or_fault()
            self.answer_windows()
            if time.monotonic() > deadline:
                raise Fault(f"only {self.imported()} of {len(self.videos)} videos imported in 120 s")
            time.sleep(0.2)

    # Windows other than the main one: menus, dialogs, Help and About.

    def answer_windows(self):
        """Answers what is open; True while something other than a tooltip is."""
        now = time.monotonic()
        open_now = {}
        for wid in win.visible_windows():
            if wid == self.main:
                continue
            kind = win.window_kind(wid)
            if kind != "tooltip":
                open_now[wid] = kind
        for wid in list(self.pending):
            if wid not in open_now:
                self.dismissed[self.pending.pop(wid)[2]] += 1
        for wid, kind in open_now.items():
            if wid not in self.pending:
                title = win.window_name(wid)
                # A short look first, as a person reads before answering.
                self.pending[wid] = [now + self.random.uniform(0.1, 1.0), 0, self.kind(kind, title), title]
                self.note(f"window {title or kind!r} opened")
            seen, attempts, what, title = self.pending[wid]
            if now < seen:
                continue
            if now - seen > STUCK_AFTER:
                raise Fault(f"{what} window {title!r} still open after {attempts} answers in {STUCK_AFTER} s")
            self.answer(wid, what, attempts)
            self.pending[wid] = [seen, attempts + 1, what, title]
        return bool(open_now)

    @staticmethod
    def kind(kind, title):
        if kind == "menu":
            return "menu"
        if title.startswith("Choose a folder for"):
            return "export folder"
        if title.startswith("Choose one or more videos"):
            return "import"
        if title.endswith(" Help") or title.startswith("About "):
            return "help/about"
        if kind == "dialog":
            return "alert"
        return "other " + kind

    def answer(self, wid, what, attempts):
        # Then Escape, then the window manager's close, round again.
        step = attempts % 3
        if step == 0 and what == "export folder" and self.random.random() < 0.4:
            self.act(wid, "Return", "export folder chooser: Export Here")
            self.counts["exports started"] += 1
        elif step == 0 and what == "alert":
            self.act(wid, "Return", "alert: OK")
        elif (step == 0 and what == "help/about") or step == 2:
            self.note(f"close {what} window")
            win.close(wid)
        elif what == "menu":
            self.note("Escape (menu)")
            win.xdo("key", "Escape")
        else:
            self.act(wid, "Escape", f"{what}: Escape")
        time.sleep(0.3)

    def act(self, wid, key, what):
        self.note(what)
        win.activate(wid)
        win.xdo("key", "--clearmodifiers", key)

    # Random input to the main window.

    def point(self):
        x, y, w, h = self.area
        return x + self.random.randrange(2, max(3, w - 2)), y + self.random.randrange(2, max(3, h - 2))

    def event(self):
        r = self.random.random()
        if r < 0.55:
            key = self.random.choice(RARE_KEYS) if self.random.random() < 0.03 else self.random.choice(KEYS)
            self.note(f"key {key}")
            win.activate(self.main)
            win.xdo("key", "--clearmodifiers", key)
            self.counts["keys"] += 1
        elif r < 0.8:
            x, y = self.point()
            button, repeat = (3, 1) if self.random.random() < 0.05 else (1, 2 if self.random.random() < 0.1 else 1)
            self.note(f"click {button}x{repeat} at {x},{y}")
            win.activate(self.main)
            win.xdo("mousemove", str(x), str(y), "click", "--repeat", str(repeat), str(button))
            self.counts["clicks"] += 1
        else:
            (x, y), steps = self.point(), self.random.randrange(4, 16)
            x2 = x + self.random.randrange(-400, 401)
            y2 = y + self.random.randrange(-200, 201)
            ax, ay, aw, ah = self.area
            x2, y2 = min(max(x2, ax + 2), ax + aw - 3), min(max(y2, ay + 2), ay + ah - 3)
            path = []
            for i in range(1, steps + 1):
                path += ["mousemove", str(x + (x2 - x) * i // steps), str(y + (y2 - y) * i // steps),
                         "sleep", "0.02"]
            if self.random.random() < 0.1:
                # A key mid-drag, as when an alert or another window comes up
                # before the button is let go.
                key = self.random.choice(KEYS + RARE_KEYS)
                middle = len(path) // 2 - len(path) // 2 % 4
                path[middle:middle] = ["key", key]
                self.note(f"drag {x},{y} -> {x2},{y2} in {steps} steps, {key} halfway")
            else:
                self.note(f"drag {x},{y} -> {x2},{y2} in {steps} steps")
            win.activate(self.main)
            win.xdo("mousemove", str(x), str(y), "mousedown", "1", *path, "mouseup", "1")
            self.counts["drags"] += 1

    def hand_over(self):
        """A second launch with a file, as a file manager's Open With does."""
        video = self.random.choice(self.videos)
        self.note(f"second launch with {Path(video).name}")
        try:
            status = subprocess.run([str(self.program), video], env=self.env, timeout=20,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
        except subprocess.TimeoutExpired:
            raise Fault("a second launch did not hand its file over within 20 s")
        if status != 0:
            raise Fault(f"a second launch ended with status {status}")
        self.counts["second launches"] += 1

    # The run and the checks at its end.

    def run(self, seconds):
        print(f"soak: seed {self.seed}, {seconds / 60:g} min, home {self.home}", flush=True)
        verdict = "PASS"
        try:
            self.launch()
            self.wait_for_imports()
            self.soak(seconds)
            self.finish()
        except Fault as fault:
            self.faults.append(str(fault))
        finally:
            if self.app.poll() is None and self.faults:
                self.app.kill()  # ours, started above; its state is in the faults
            self.app.wait()
        if self.faults:
            verdict = "FAIL"
            shot = self.home / "fault.png"
            subprocess.run(["import", "-window", "root", str(shot)], stderr=subprocess.DEVNULL)
        self.report(verdict)
        return 0 if verdict == "PASS" else 1

    def soak(self, seconds):
        end = time.monotonic() + seconds
        next_launch = time.monotonic() + self.random.uniform(45, 120)
        next_look = time.monotonic() + 30
        while time.monotonic() < end:
            self.alive_or_fault()
            if self.answer_windows():
                time.sleep(0.1)
                continue
            if time.monotonic() > next_look:
                # The window may have moved or grown (zoom, a restored size).
                self.area = win.geometry(self.main)
                next_look = time.monotonic() + 30
            if time.monotonic() > next_launch:
                self.hand_over()
                next_launch = time.monotonic() + self.random.uniform(45, 120)
                continue
            self.event()
            time.sleep(self.random.uniform(0.03, 0.2))

    def settle(self, seconds=30):
        """Answers windows until none has been open for two seconds."""
        deadline, quiet = time.monotonic() + seconds, None
        while time.monotonic() < deadline:
            self.alive_or_fault()
            if self.answer_windows():
                quiet = None
            elif quiet is None:
                quiet = time.monotonic()
            elif time.monotonic() - quiet > 2:
                return
            time.sleep(0.1)
        raise Fault(f"windows still open after {seconds} s: "
                    + ", ".join(repr(p[3]) for p in self.pending.values()))

    def finish(self):
        win.xdo("mouseup", "1")
        self.settle()
        found = win.nodes(self.app.pid)
        if found is None:
            raise Fault("the window could not be read through the accessibility bus")
        self.shown_clips = win.shown_clip_count(found)
        names = {Path(v).name for v in self.videos}
        # A bin row reads "name, size, clips, length"; the name may hold commas too.
        self.shown_rows = sorted({v for _, name, _, _ in found for v in names
                                  if name == v or name.startswith(v + ", ")})
        subprocess.run(["import", "-window", "root", str(self.home / "end.png")], stderr=subprocess.DEVNULL)
        self.note("Ctrl+Q")
        win.activate(self.main)
        win.xdo("key", "--clearmodifiers", "ctrl+q")
        deadline = time.monotonic() + 60
        while self.app.poll() is None:
            if time.monotonic() > deadline:
                raise Fault("the program did not quit within 60 s of Ctrl+Q")
            for wid in win.visible_windows():
                if wid != self.main and win.window_kind(wid) == "dialog":
                    # The question about a running export: quit anyway.
                    if win.press(win.nodes(self.app.pid) or [], "Quit"):
                        self.note("quit question: Quit")
                        self.dismissed["quit question"] += 1
                        time.sleep(0.5)
            time.sleep(0.2)
        if self.app.returncode != 0:
            raise Fault(f"the program quit with status {self.app.returncode}")
        self.check_session()
        self.check_leftovers()

    def check_session(self):
        try:
            doc = json.loads(self.session.read_text())
        except (OSError, ValueError) as error:
            raise Fault(f"session.json does not decode: {error}")
        self.clips = len(doc.get("clips", []))
        paths = [s.get("path", "") for s in doc.get("sources", [])]
        gone = [p for p in paths if not Path(p).exists()]
        if gone:
            self.faults.append("session lists videos that do not exist: " + ", ".join(gone))
        if self.shown_clips is not None and self.shown_clips != self.clips:
            self.faults.append(f"the window showed {self.shown_clips} clips, session.json has {self.clips}")
        saved_rows = sorted({Path(p).name for p in paths})
        if self.shown_rows != saved_rows:
            self.faults.append(f"the bin showed {self.shown_rows}, session.json lists {saved_rows}")

    def check_leftovers(self):
        """What a quit must not leave behind: converters still running, and
        files in the export folder that do not play."""
        time.sleep(2)
        ours = []
        for entry in Path("/proc").iterdir():
            try:
                environ = (entry / "environ").read_bytes().split(b"\0")
                command = (entry / "cmdline").read_bytes().replace(b"\0", b" ").decode(errors="replace")
            except (OSError, ValueError):
                continue
            if f"CW_SOAK_HOME={self.home}".encode() in environ and \
                    ("ffmpeg" in command or "cutwright" in command):
                ours.append(f"{entry.name}: {command.strip()[:120]}")
        if ours:
            self.faults.append("left running after the quit: " + "; ".join(ours))
        folder = self.home / "Videos"
        for path in sorted(folder.rglob("*")) if folder.exists() else []:
            if not path.is_file():
                continue
            probe = subprocess.run(["ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                                    "stream=codec_name", "-of", "csv=p=0", str(path)],
                                   capture_output=True, text=True)
            if probe.returncode != 0 or not probe.stdout.strip():
                self.faults.append(f"an export that does not play was left: {path.name}")

    def report(self, verdict):
        minutes = (time.monotonic() - self.started) / 60
        events = sum(self.counts[k] for k in ("keys", "clicks", "drags", "second launches"))
        print(f"soak: {events} events in {minutes:.1f} min: "
              + ", ".join(f"{n} {k}" for k, n in sorted(self.counts.items())))
        print(f"soak: {sum(self.dismissed.values())} windows answered or closed: "
              + (", ".join(f"{n} {k}" for k, n in sorted(self.dismissed.items())) or "none"))
        if hasattr(self, "clips"):
            shown = "not readable (no \"Export All (N)\" on the accessibility bus)" \
                if self.shown_clips is None else str(self.shown_clips)
            print(f"soak: clips at the end: window {shown}, session.json {self.clips}; "
                  f"bin rows {self.shown_rows}")
        exports = sorted(p.name for p in (self.home / "Videos").rglob("*") if p.is_file()) \
            if (self.home / "Videos").exists() else []
        print(f"soak: {len(exports)} files in ~/Videos: {', '.join(exports[:8])}{' …' if len(exports) > 8 else ''}")
        for fault in self.faults:
            print(f"soak: FAULT: {fault}")
        if self.faults:
            print(f"soak: replay with --seed {self.seed}; the last events were:")
            for line in self.recent:
                print("    " + line)
            print(f"soak: program output in {self.home / 'cutwright.log'}, screen in {self.home / 'fault.png'}")
        print(f"soak: {verdict}", flush=True)
