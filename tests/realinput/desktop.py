"""A real X desktop for the real-input tests: Xvfb with the openbox window manager, the
program started on it with its window probe, and mouse and keyboard through the X server
(xdotool). Every wait is bounded; a program that dies fails the wait at once."""

import json
import os
import shutil
import signal
import socket
import subprocess
import time


class Failure(Exception):
    """A step of the scenario did not happen as a person would see it happen."""


def _rect(r):
    return tuple(int(v) for v in r)


def centre(r):
    x, y, w, h = _rect(r)
    return x + w // 2, y + h // 2


def inside(inner, outer):
    """True when rectangle `inner` lies wholly within `outer`."""
    ix, iy, iw, ih = _rect(inner)
    ox, oy, ow, oh = _rect(outer)
    return ix >= ox and iy >= oy and ix + iw <= ox + ow and iy + ih <= oy + oh


def overlap(a, b):
    ax, ay, aw, ah = _rect(a)
    bx, by, bw, bh = _rect(b)
    return ax < bx + bw and bx < ax + aw and ay < by + bh and by < ay + ah


class Desktop:
    """Xvfb of the given size with openbox managing its windows."""

    def __init__(self, width, height, workdir):
        self.width, self.height = width, height
        self.log = open(os.path.join(workdir, f"x-{width}x{height}.log"), "w")
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{width}x{height}x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_fd,), stdout=self.log, stderr=self.log)
        os.close(write_fd)
        number = b""
        deadline = time.monotonic() + 20
        with os.fdopen(read_fd, "rb", buffering=0) as pipe:
            while not number.endswith(b"\n"):
                if time.monotonic() > deadline or self.xvfb.poll() is not None:
                    raise Failure("Xvfb did not start")
                chunk = pipe.read(1)
                if not chunk:
                    raise Failure("Xvfb did not start")
                number += chunk
        self.display = ":" + number.decode().strip()
        self.env = dict(os.environ, DISPLAY=self.display)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.wm = subprocess.Popen(["openbox", "--sm-disable"], env=self.env,
                                   stdout=self.log, stderr=self.log)
        self._wait_for_wm()

    def _wait_for_wm(self):
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline:
            out = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=self.env,
                                 capture_output=True, text=True, timeout=10).stdout
            if "window id" in out:
                return
            if self.wm.poll() is not None:
                raise Failure("openbox did not start")
            time.sleep(0.1)
        raise Failure("openbox did not take the screen")

    def xdotool(self, *args):
        subprocess.run(["xdotool", *[str(a) for a in args]], env=self.env, check=True,
                       timeout=20, stdout=subprocess.DEVNULL)

    def stop(self):
        for p in (self.wm, self.xvfb):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(5)
                except subprocess.TimeoutExpired:
                    p.kill()
        self.log.close()


class Program:
    """The real trellum on a Desktop, read through its probe and driven through the X server."""

    def __init__(self, desktop, exe, env, workdir, args=()):
        self.desktop = desktop
        self.socket = os.path.join(workdir, f"probe-{desktop.width}.sock")
        self.output = open(os.path.join(workdir, f"trellum-{desktop.width}x{desktop.height}.log"), "w")
        run_env = dict(desktop.env, **env, TRELLUM_UI_PROBE=self.socket)
        self.process = subprocess.Popen([exe, *args], env=run_env, stdout=self.output,
                                        stderr=subprocess.STDOUT, cwd=workdir)
        self.snapshot = None
        self.pointer = None

    # --- reading ---------------------------------------------------------------------------

    def alive(self):
        code = self.process.poll()
        if code is None:
            return
        if code < 0:
            raise Failure(f"trellum died of signal {signal.Signals(-code).name}")
        raise Failure(f"trellum ended with exit status {code}")

    def probe(self):
        """What the program shows now, or None while it cannot answer (busy or starting)."""
        self.alive()
        try:
            with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
                s.settimeout(5)
                s.connect(self.socket)
                s.sendall(b"describe\n")
                data = b""
                while not data.endswith(b"\n"):
                    chunk = s.recv(1 << 16)
                    if not chunk:
                        break
                    data += chunk
        except (OSError, socket.timeout):
            return None
        if not data.strip():
            return None
        self.snapshot = json.loads(data)
        return self.snapshot

    def wait(self, what, predicate, timeout=30):
        """Polls the probe until `predicate(snapshot)` gives something true, and returns it."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            snap = self.probe()
            if snap is not None:
                found = predicate(snap)
                if found:
                    return found
            time.sleep(0.1)
        self.alive()
        raise Failure(f"timed out after {timeout} s waiting for {what}")

    @staticmethod
    def widgets(snap, window=None, active=False):
        """The widgets shown; with `active`, only those of the window that has the keyboard
        (a window is only placed where it stays once the window manager has activated it)."""
        for top in snap["windows"]:
            if active and not top["active"]:
                continue
            if window is None or top["name"] == window or top["title"] == window:
                yield from top["widgets"]

    @staticmethod
    def find_in(snap, name, under=None, cls=None, active=False):
        """The first visible widget called `name` (and of class `cls`) below a widget `under`."""
        for w in Program.widgets(snap, active=active):
            if name is not None and w["name"] != name:
                continue
            if cls is not None and w["class"] != cls:
                continue
            if under is not None and under not in w["path"] and w["name"] != under:
                continue
            return w
        return None

    def find(self, name, under=None, cls=None, timeout=30):
        """Waits for the widget to show in the active window and returns it."""
        return self.wait(f"{name or cls} under {under or 'any window'} in the active window",
                         lambda s: self.find_in(s, name, under, cls, active=True), timeout)

    def message_box(self, timeout=30):
        """The message box on screen: (title, text, its buttons)."""
        def box(snap):
            for top in snap["windows"]:
                if top["class"] == "QMessageBox" and top["active"]:
                    label = next((w.get("text", "") for w in top["widgets"]
                                  if w["name"] == "qt_msgbox_label"), "")
                    buttons = [w for w in top["widgets"] if w["class"] == "QPushButton"]
                    return top["title"], label, buttons
            return None
        return self.wait("a message box", box, timeout)

    def no_message_box(self, timeout=30):
        self.wait("the message box to close",
                  lambda s: all(t["class"] != "QMessageBox" for t in s["windows"]) or None, timeout)

    # --- mouse and keyboard ----------------------------------------------------------------

    def move(self, x, y):
        """Moves the pointer; xdotool's --sync would wait for ever for a move to where it is."""
        if self.pointer == (x, y):
            return
        self.desktop.xdotool("mousemove", "--sync", x, y)
        self.pointer = (x, y)

    def click_at(self, x, y, button=1):
        self.move(x, y)
        self.desktop.xdotool("click", button)

    def click(self, widget):
        self.click_at(*centre(widget["rect"]))

    def key(self, *keys):
        self.desktop.xdotool("key", "--delay", "40", *keys)

    def type(self, text):
        self.desktop.xdotool("type", "--delay", "30", text)

    def wheel(self, widget, notches, down=True):
        self.move(*centre(widget["rect"]))
        self.desktop.xdotool("click", "--repeat", notches, "--delay", "60", 5 if down else 4)

    def drag(self, start, end):
        # Come to the start as a hand does, so the widget under it sees the pointer arrive.
        self.move(start[0] - 6, start[1] - 6)
        time.sleep(0.05)
        self.move(*start)
        time.sleep(0.05)
        self.desktop.xdotool("mousedown", 1)
        steps = 8
        for i in range(1, steps + 1):
            x = start[0] + (end[0] - start[0]) * i // steps
            y = start[1] + (end[1] - start[1]) * i // steps
            self.move(x, y)
            time.sleep(0.03)
        self.desktop.xdotool("mouseup", 1)
        time.sleep(0.3)

    def screenshot(self, path):
        if shutil.which("import"):
            subprocess.run(["import", "-window", "root", path], env=self.desktop.env,
                           timeout=30, capture_output=True)

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait(10)
        self.output.close()
