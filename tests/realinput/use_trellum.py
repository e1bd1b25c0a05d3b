#!/usr/bin/env python3
"""Uses the real trellum as a person does: on an X server (Xvfb) with a window manager
(openbox), with the mouse and the keyboard going through the X server (xdotool).

On the first screen size it logs in, chooses a position with the keyboard, opens each report
from the menu, ticks, runs, scrolls the grid with the wheel and by its scroll bars, resizes
the window, exports once into a folder of the user's and once into one that cannot be
written, checks the buttons still answer, closes the window and ends the program through
its close question. On the other sizes it logs in, opens every report window and checks that
all of it can be reached on that screen. It fails on a crash, a window that does not open at a
usable size, a control off the screen, or buttons that do not answer.

Controls are found by name through the program's window probe (TRELLUM_UI_PROBE); only the
pointer and the keys go through the X server.
"""

import argparse
import os
import re
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import time
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import Desktop, Failure, Program, centre, inside, overlap  # noqa: E402

REPORTS = [
    # menu, item, window, run button caption
    ("报修情况统计", "维修完成情况表", "frm维修完成情况表"),
    ("维修工作统计", "班组核算台账", "frm班组核算台账New"),
    ("维修工作统计", "维修工考绩汇总", "frm维修工考绩汇总New"),
    ("报修情况统计", "报修簿月底汇总", "frm报修月底汇总New"),
]
# What a person must be able to reach in every report window.
CONTROLS = ["Command5", "Command2", "Command1", "DTPicker1", "DTPicker2", "Combo1", "Check1",
            "TreeView1", "Check2", "List1", "MSFlexGrid1", "StatusBar1"]


def plain(caption):
    """A menu caption without its mnemonic: "窗口(&W)" is "窗口"."""
    return re.sub(r"\(&.\)$", "", caption or "").replace("&", "")


def step(text):
    print(f"[{time.strftime('%H:%M:%S')}] {text}", flush=True)


class Scenario:
    def __init__(self, program, workdir, keep_going=False):
        self.p = program
        self.workdir = workdir
        self.keep_going = keep_going
        self.problems = []

    def fail(self, text):
        """A check that failed: the end of the scenario, or with keep_going one more problem."""
        if not self.keep_going:
            raise Failure(text)
        print("  problem: " + text, flush=True)
        self.problems.append(text)

    # --- login ---------------------------------------------------------------------------

    def login(self, user, password):
        p = self.p
        box = p.find("TxtUser", timeout=60)
        login = next(t for t in p.snapshot["windows"] if t["name"] == "frmLogin")
        if not inside(login["rect"], p.snapshot["screen"]):
            self.fail(f"the login window {login['rect']} is not wholly on the screen")
        p.click(box)
        p.type(user)
        p.key("Return")               # Enter moves on to the password, as Tab does
        p.wait("the password box to take the focus", lambda s: s["focus"] == "txtPassword")
        p.type(password)
        p.key("Return", "Return")      # to the login button, then press it

    def choose_position_by_keyboard(self):
        p = self.p
        listing = p.find("List1", under="frmLogin")
        if listing.get("rows", 0) < 2:
            self.fail("the position list shows fewer than two positions")
        p.wait("the position list to take the focus", lambda s: s["focus"] == "List1")
        p.key("Down", "Return")

    def main_window(self):
        p = self.p
        def placed(snap):
            # Active, and where the window manager has put it: the same place twice running.
            main = next((t for t in snap["windows"] if t["name"] == "MDIForm1" and t["active"]), None)
            seen, self.last_main = self.last_main, main and main["rect"]
            return main if main and main["rect"] == seen else None
        self.last_main = None
        main = p.wait("the main window", placed, timeout=60)
        if not inside(main["rect"], p.snapshot["available"]):
            self.fail(f"the main window {main['rect']} does not fit the screen {p.snapshot['available']}")
        return main

    # --- report windows ----------------------------------------------------------------------

    def open_from_menu(self, menu, item, window):
        p = self.p
        bar = p.find(None, cls="QMenuBar", under="MDIForm1")
        entry = next((a for a in bar["actions"] if plain(a["text"]) == menu), None)
        if entry is None:
            raise Failure(f"no menu {menu} in the menu bar")
        p.click(entry)

        def menu_item(snap):
            for w in Program.widgets(snap):
                if w["class"] == "QMenu":
                    return next((a for a in w["actions"] if plain(a["text"]) == item and a["enabled"]), None)
            return None
        p.click(p.wait(f"the menu item {item}", menu_item))
        return p.find(window, timeout=60)

    def check_reachable(self, window):
        """Every control of the window lies on the screen and within the window."""
        p = self.p
        own = self.window_widget(window)
        fx, fy, fw, fh = own["rect"]
        if fw < 600 or fh < 400:
            self.fail(f"{window} opened at {fw} x {fh}, too small to use")
        screen = p.snapshot["available"]
        for name in CONTROLS:
            w = Program.find_in(p.snapshot, name, under=window)
            if w is None:
                continue
            if not inside(w["rect"], screen):
                self.fail(f"{window}: {name} at {w['rect']} is off the screen {screen}")
            if not inside(w["rect"], own["rect"]):
                self.fail(f"{window}: {name} at {w['rect']} lies outside the window {own['rect']}")

    def frame_of(self, window):
        """The child-window frame (title bar and border) around the report window."""
        own = self.window_widget(window)
        for w in Program.widgets(self.p.snapshot):
            if w["class"] == "QMdiSubWindow" and inside(own["rect"], w["rect"]):
                return w
        raise Failure(f"{window} has no child-window frame")

    def window_widget(self, window):
        w = Program.find_in(self.p.probe(), window)
        if w is None:
            raise Failure(f"{window} is not shown")
        return w

    def choose_first_region(self, window):
        p = self.p
        p.click(p.find("Combo1", under=window))
        p.wait("the region list to drop down", lambda s: any(
            t["class"] == "QComboBoxPrivateContainer" for t in s["windows"]))
        p.key("Down", "Return")
        p.wait("a region to be chosen", lambda s: Program.find_in(s, "Combo1", under=window).get("text"))

    def tick_all(self, window):
        p = self.p
        for box in ("Check1", "Check2"):
            w = p.find(box, under=window)
            if not w.get("checked"):
                p.click(w)
                p.wait(f"{box} to be ticked", lambda s: Program.find_in(s, box, under=window).get("checked"))

    def year_back(self, window):
        """The start date a year back: click the year of DTPicker1 and press Down once."""
        p = self.p
        picker = p.find("DTPicker1", under=window)
        before = picker.get("text")
        x, y, w, h = picker["rect"]
        p.click_at(x + 12, y + h // 2)
        p.key("Down")
        p.wait("the start date to change", lambda s: Program.find_in(s, "DTPicker1", under=window).get("text") != before)

    def run(self, window):
        p = self.p
        grid = p.find("MSFlexGrid1", under=window)
        rows_before = grid.get("rows", 0)
        p.click(p.find("Command5", under=window))
        done = p.wait("the grid to fill", lambda s: (lambda g: g if g and g.get("rows", 0) > max(rows_before, 3) else None)(
            Program.find_in(s, "MSFlexGrid1", under=window)), timeout=120)
        step(f"  {window}: {done['rows']} rows")

    def grid_bar(self, window, orientation):
        for w in Program.widgets(self.p.probe()):
            if (w["class"] == "QScrollBar" and w.get("orientation") == orientation and
                    "MSFlexGrid1" in w["path"] and w["rect"][2] > 0 and w["rect"][3] > 0):
                if window in w["path"]:
                    return w
        return None

    def wheel_on_empty_grid(self, window):
        """One notch of the wheel over the grid before any run: the program lives on."""
        p = self.p
        p.wheel(p.find("MSFlexGrid1", under=window), 1)
        p.find(window)

    def scroll(self, window):
        p = self.p
        grid = p.find("MSFlexGrid1", under=window)
        frozen = Program.find_in(p.snapshot, None, under="MSFlexGrid1", cls="QTableView")
        # The wheel over the scrolling part and over the frozen header rows: the program lives.
        p.wheel(grid, 3)
        if frozen:
            p.wheel(frozen, 2)
            p.wheel(frozen, 2, down=False)
        p.probe()
        for orientation in ("vertical", "horizontal"):
            bar = self.grid_bar(window, orientation)
            if bar is None or bar["maximum"] <= 0:
                step(f"  {window}: no {orientation} scroll bar to use")
                continue
            start_value = bar["value"]
            x, y, w, h = bar["rect"]
            sx, sy = centre(bar["slider"])
            end = (x + w - 3, sy) if orientation == "horizontal" else (sx, y + h - 3)
            p.drag((sx, sy), end)
            after = self.grid_bar(window, orientation)
            if after["value"] <= start_value:
                raise Failure(f"{window}: dragging the {orientation} scroll bar moved nothing "
                              f"(value {start_value} -> {after['value']})")
            # A click at the near end of the bar: its arrow (or the trough) moves back a step.
            near = (x + 4, y + h // 2) if orientation == "horizontal" else (x + w // 2, y + 4)
            p.click_at(*near)
            back = p.wait(f"the {orientation} scroll bar to answer a click",
                          lambda s: (lambda b: b if b and b["value"] < after["value"] else None)(
                              self.grid_bar(window, orientation)), timeout=10)
            step(f"  {window}: {orientation} bar {start_value} -> {after['value']} -> {back['value']}")
            if orientation == "vertical":
                vbar = back
                # The wheel moves the view too.
                p.wheel(grid, 3)
                moved = self.grid_bar(window, orientation)
                if moved["value"] <= vbar["value"]:
                    self.fail(f"{window}: the wheel did not scroll the grid ({vbar['value']} -> {moved['value']})")

    def resize_small(self, window):
        """Drags the window's corner far in; the filter panel's boxes must not run over each other."""
        p = self.p
        x, y, w, h = self.frame_of(window)["rect"]
        p.drag((x + w - 3, y + h - 3), (x + 200, y + 150))
        p.probe()
        names = ["DTPicker1", "DTPicker2", "Combo1", "TreeView1", "List1"]
        shown = [Program.find_in(p.snapshot, n, under=window) for n in names]
        shown = [(n, s) for n, s in zip(names, shown) if s]
        for i, (na, a) in enumerate(shown):
            for nb, b in shown[i + 1:]:
                if overlap(a["rect"], b["rect"]):
                    self.fail(f"{window} made small: {na} {a['rect']} runs over {nb} {b['rect']}")
        small = self.window_widget(window)
        step(f"  {window}: dragged small, now {small['rect'][2]} x {small['rect'][3]}")
        # and back to a size that shows everything
        fx, fy, fw, fh = self.frame_of(window)["rect"]
        area = Program.find_in(p.snapshot, "clientArea")
        ax, ay, aw, ah = area["rect"]
        p.drag((fx + fw - 3, fy + fh - 3), (ax + aw - 4, ay + ah - 4))
        p.wait(f"{window} to grow again", lambda s: (lambda w: w and w["rect"][2] >= 600)(
            Program.find_in(s, window)), timeout=10)

    # --- export ------------------------------------------------------------------------------

    def save_dialog(self):
        p = self.p
        return p.wait("the save dialog", lambda s: next(
            (t for t in s["windows"] if t["class"] == "QFileDialog"), None))

    def export_to(self, window, path):
        p = self.p
        p.click(p.find("Command2", under=window))
        dialog = self.save_dialog()
        edit = next(w for w in dialog["widgets"] if w["name"] == "fileNameEdit")
        p.click(edit)
        p.key("ctrl+a")
        p.type(path)
        p.key("Return")
        return dialog

    def ok(self):
        title, text, buttons = self.p.message_box(timeout=120)
        if not buttons:
            raise Failure(f"the message box '{title}' has no button")
        self.p.click(buttons[0])
        self.p.no_message_box()
        return title, text

    def exports(self, window, good_folder):
        p = self.p
        good = os.path.join(good_folder, "smoke-ledger.xlsx")
        if os.path.exists(good):
            os.remove(good)  # left by a run kept with --keep: no question about replacing it
        dialog = self.export_to(window, good)
        title, text = self.ok()
        step(f"  export: {title}: {text}")
        if "错误" in text or not os.path.isfile(good):
            self.fail(f"the export to {good} failed: {text}")
        with zipfile.ZipFile(good) as book:
            if "xl/workbook.xml" not in book.namelist():
                self.fail(f"{good} is no workbook")
        del dialog
        self.export_again_asks(window, good)
        # Once more, into a folder nobody can write.
        self.export_to(window, "/proc/trellum-smoke.xlsx")
        title, text = self.ok()
        step(f"  failed export: {title}: {text}")
        if "错误" not in text:
            self.fail(f"an export into /proc did not report an error: {text}")
        p.probe()
        bar = Program.find_in(p.snapshot, "ProgressBar1", under=window)
        for name in ("Command5", "Command2", "Command1"):
            b = Program.find_in(p.snapshot, name, under=window)
            if b is None:
                raise Failure(f"{name} is not shown after the failed export")
            if bar and overlap(bar["rect"], b["rect"]):
                self.fail(f"after the failed export the progress bar {bar['rect']} covers {name} {b['rect']}")
        # The buttons answer: the export again, and this time cancelled.
        p.click(p.find("Command2", under=window))
        dialog = self.save_dialog()
        p.key("Escape")
        title, text = self.ok()
        if text != "您取消了导出操作！":
            self.fail(f"cancelling the save dialog said: {text}")
        step("  the buttons answer after the failed export")

    def press(self, buttons, answer):
        button = next((b for b in buttons if b.get("text", "").replace("&", "").startswith(answer)), None)
        if button is None:
            raise Failure(f"no button {answer}: {[b.get('text') for b in buttons]}")
        self.p.click(button)

    def export_again_asks(self, window, path):
        """The same name again: the save dialog asks before replacing; No keeps the first file."""
        p = self.p
        first = os.stat(path).st_mtime_ns
        for answer in ("否", "是"):
            time.sleep(0.05)
            self.export_to(window, path)
            title, text, buttons = p.message_box()
            if "已存在" not in text or os.path.basename(path) not in text:
                self.fail(f"exporting to {path} again asked: {text}")
            self.press(buttons, answer)
            if answer == "否":
                # Back in the dialog, which is given up.
                self.save_dialog()
                p.key("Escape")
                title, text = self.ok()
                if text != "您取消了导出操作！" or os.stat(path).st_mtime_ns != first:
                    self.fail(f"No to replacing {path} said '{text}' or changed the file")
            else:
                title, text = self.ok()
                if "成功" not in text or os.stat(path).st_mtime_ns == first:
                    self.fail(f"Yes to replacing {path} said '{text}' or left the file as it was")
        step("  the second export to the same name asked first")

    def export_describes_the_run(self, window, docs):
        """Another region chosen but not run: the workbook still names the region of the run."""
        p = self.p
        ran = p.find("Combo1", under=window).get("text", "")
        p.click(p.find("Combo1", under=window))
        p.wait("the region list to drop down", lambda s: any(
            t["class"] == "QComboBoxPrivateContainer" for t in s["windows"]))
        p.key("Down", "Return")
        p.wait("another region to be chosen",
               lambda s: Program.find_in(s, "Combo1", under=window).get("text") not in ("", ran))
        path = os.path.join(docs, "region-of-the-run.xlsx")
        if os.path.exists(path):
            os.remove(path)  # left by a run kept with --keep: no question about replacing it
        self.export_to(window, path)
        title, text = self.ok()
        with zipfile.ZipFile(path) as book:
            strings = book.read("xl/sharedStrings.xml").decode("utf-8")
        region = ran.split(" ", 1)[-1]
        chosen = Program.find_in(p.probe(), "Combo1", under=window).get("text", "").split(" ", 1)[-1]
        if f"管理区域: {region}" not in strings or f"管理区域: {chosen}" in strings:
            self.fail(f"the workbook does not name the region of the run ({region}) but {chosen}")
        step(f"  the workbook names the region of the run: {region}")

    def grid_by_hand(self, window, paste_into):
        """Drags the names column's edge wider, selects a rectangle, copies it, pastes it."""
        p = self.p
        corner = Program.find_in(p.probe(), "frozenCorner", under=window)
        bar = self.grid_bar(window, "horizontal")
        if corner is None or bar is None:
            self.fail(f"{window}: no frozen header corner or horizontal bar to use")
            return
        x, y, w, h = corner["rect"]
        p.drag((x + w - 1, y + h - 6), (x + w + 119, y + h - 6))
        wider = p.wait("the names column to widen", lambda s: (lambda c: c if c and c["rect"][2] >= w + 100 else None)(
            Program.find_in(s, "frozenCorner", under=window)), timeout=10)
        after = self.grid_bar(window, "horizontal")
        step(f"  names column {w} -> {wider['rect'][2]} px, scroll range {bar['maximum']} -> {after['maximum']}")
        # A rectangle of three rows and two columns of figures.
        x, y, w, h = wider["rect"]
        p.click_at(x + w + 20, y + h + 8)
        self.p.desktop.xdotool("keydown", "shift")
        p.click_at(x + w + 100, y + h + 48)
        self.p.desktop.xdotool("keyup", "shift")
        p.key("ctrl+c")
        box = p.find(paste_into, under=window)
        p.click(box)
        p.key("ctrl+a", "ctrl+v")
        pasted = p.wait("the pasted cells", lambda s: (Program.find_in(s, paste_into, under=window) or {}).get("text"))
        lines = pasted.rstrip("\n").split("\n")
        if len(lines) < 2 or any(line.count("\t") != lines[0].count("\t") or "\t" not in line for line in lines):
            self.fail(f"{window}: the copied rectangle pasted as {pasted!r}")
        step(f"  copied and pasted {len(lines)} rows: {pasted!r}")

    def long_run(self, switch):
        """A run that lasts until it is stopped: the program answers and moves its window during
        it, another report window opens and runs to its end meanwhile, the stop button ends the run
        within a second, and the next run of the window completes."""
        p = self.p
        menu, item, window = REPORTS[0]
        other_menu, other_item, other = REPORTS[1]
        self.open_from_menu(menu, item, window)
        self.choose_region(window, "01")  # the first region has orders: the statement reads them
        self.tick_all(window)
        self.year_back(window)
        idle = max(self.answer_time() for _ in range(5))
        set_slow(switch, True)
        p.click(p.find("Command5", under=window))
        p.wait("the run button to become the stop button",
               lambda snap: (Program.find_in(snap, "Command5", under=window) or {}).get("text") == "停止")
        set_slow(switch, False)  # the statement under way keeps its pace; later ones are quick
        worst = max(self.answer_time() for _ in range(10))
        step(f"  during the run the probe is answered within {worst * 1000:.0f} ms (idle {idle * 1000:.0f} ms)")
        if worst > idle + 0.1:
            self.fail(f"during a run the program took {worst * 1000:.0f} ms to answer (idle {idle * 1000:.0f} ms)")
        frame = self.frame_of(window)
        x, y, w, h = frame["rect"]
        p.drag((x + w // 2, y + 8), (x + w // 2 + 40, y + 48))
        p.wait(f"{window} to move during the run",
               lambda snap: self.frame_of(window)["rect"][:2] != [x, y] or None, timeout=5)
        step(f"{other_item} opens and runs while {item} runs")
        self.open_from_menu(other_menu, other_item, other)
        self.choose_first_region(other)
        self.tick_all(other)
        self.year_back(other)
        self.run(other)
        self.close_window(other)
        if (Program.find_in(p.probe(), "Command5", under=window) or {}).get("text") != "停止":
            self.fail(f"{window}'s run ended before it was stopped")
        p.click(p.find("Command5", under=window))
        started = time.monotonic()
        title, text, buttons = p.message_box(timeout=5)
        took = time.monotonic() - started
        step(f"  stopped: {title}: {text} after {took * 1000:.0f} ms")
        if text != "统计已停止。":
            self.fail(f"the stop button said {text!r}")
        if took > 1.0:
            self.fail(f"the stop took {took:.2f} s")
        p.click(buttons[0])
        p.no_message_box()
        self.run(window)
        self.close_window(window)

    def choose_region(self, window, code):
        """Chooses the region whose entry starts with `code`, from the top of the list."""
        p = self.p
        p.click(p.find("Combo1", under=window))
        p.wait("the region list to drop down", lambda s: any(
            t["class"] == "QComboBoxPrivateContainer" for t in s["windows"]))
        p.key("Home", "Return")
        chosen = p.wait("a region to be chosen", lambda s: Program.find_in(s, "Combo1", under=window).get("text"))
        if not chosen.startswith(code):
            self.fail(f"{window}: the region list chose {chosen!r}, not {code}")

    def answer_time(self):
        """How long the program takes to describe its windows to the probe."""
        started = time.monotonic()
        if self.p.probe() is None:
            return float("inf")
        return time.monotonic() - started

    def close_window(self, window):
        p = self.p
        p.click(p.find("Command1", under=window))
        p.wait(f"{window} to close", lambda s: Program.find_in(s, window) is None)

    def quit_program(self):
        """Closes the main window through the window manager: No keeps it, Yes ends the program."""
        p = self.p
        main = next(t for t in p.probe()["windows"] if t["name"] == "MDIForm1")
        p.click_at(main["inner"][0] + main["inner"][2] // 2, main["inner"][1] + 10)
        for answer in ("否", "是"):
            p.key("alt+F4")
            title, text, buttons = p.message_box()
            if text != "确认要退出系统吗？":
                self.fail(f"closing the main window asked: {text}")
            button = next((b for b in buttons if b.get("text", "").replace("&", "").startswith(answer)), None)
            if button is None:
                raise Failure(f"the close question has no button {answer}: {[b.get('text') for b in buttons]}")
            p.click(button)
            if answer == "否":
                p.no_message_box()
                p.probe()
        try:
            code = p.process.wait(30)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end after Yes to the close question")
        if code != 0:
            raise Failure(f"the program ended with status {code}")


# The test's copy of the orders, behind a view whose statements run until they are stopped while
# the switch is on (the one-row count comes first, whatever rows the statement reads); WAL lets
# the test turn it off while the program reads.
SLOW_VIEW = """
PRAGMA journal_mode = WAL;
CREATE TABLE 测试慢速开关 (上限 INTEGER NOT NULL);
INSERT INTO 测试慢速开关 VALUES (1);
ALTER TABLE PG派工单 RENAME TO PG派工单数据;
CREATE VIEW PG派工单 AS SELECT d.* FROM (
  WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < (SELECT 上限 FROM 测试慢速开关))
  SELECT max(x) AS m FROM c) AS slow CROSS JOIN PG派工单数据 AS d WHERE slow.m > 0;
"""


def set_slow(switch, on):
    """Turns the slow orders on or off through `switch`, a connection the test holds open from
    before the program starts (so that the program shares the WAL's index file and sees the change)."""
    with switch:
        switch.execute("UPDATE 测试慢速开关 SET 上限 = ?", (1 << 62 if on else 1,))


def make_home(workdir, demo_tool):
    home = os.path.join(workdir, "home")
    config = os.path.join(home, ".config")
    docs = os.path.join(home, "Documents")
    os.makedirs(config, exist_ok=True)
    os.makedirs(docs, exist_ok=True)
    db = os.path.join(workdir, "demo.db")
    if not os.path.exists(db):
        subprocess.run([demo_tool, "--out", db], check=True, timeout=120, stdout=subprocess.DEVNULL)
        with sqlite3.connect(db) as con:
            con.executescript(SLOW_VIEW)
    with open(os.path.join(config, "Quorvel2011.conf"), "w", encoding="utf-8") as f:
        f.write(f"[DBConfig]\nSvr=sqlite:{db}\nUID=\nPWD=\nDBname=\n")
    env = {"HOME": home, "XDG_CONFIG_HOME": config, "LANG": "C.UTF-8", "LC_ALL": "C.UTF-8",
           "QT_QPA_PLATFORM": "xcb", "XDG_RUNTIME_DIR": os.path.join(workdir, "run")}
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700, exist_ok=True)
    return env, docs


def full_use(s, docs):
    """The whole use on the first screen: login by keyboard, every report used and closed."""
    size = f"{s.p.desktop.width} x {s.p.desktop.height}"
    step(f"{size}: log in as 1002 and choose a position by keyboard")
    s.login("1002", "1234")
    s.choose_position_by_keyboard()
    s.main_window()
    for menu, item, window in REPORTS:
        step(f"{size}: {menu} -> {item}")
        s.open_from_menu(menu, item, window)
        s.check_reachable(window)
        s.wheel_on_empty_grid(window)
        s.choose_first_region(window)
        s.tick_all(window)
        s.year_back(window)
        s.run(window)
        s.scroll(window)
        s.resize_small(window)
        s.check_reachable(window)
        if window == "frm班组核算台账New":
            s.exports(window, docs)
        if window == "frm维修完成情况表":
            s.export_describes_the_run(window, docs)
        if window == "frm报修月底汇总New":
            s.grid_by_hand(window, "Text2")
        s.close_window(window)
    step(f"{size}: a run that lasts until it is stopped")
    s.long_run(s.switch)
    step("close the program through its question")
    s.quit_program()


def reach_all(s, docs):
    """On the other screens: every report window reachable, the one on top run and scrolled."""
    del docs
    step(f"{s.p.desktop.width} x {s.p.desktop.height}: log in as 1001, open every report window")
    s.login("1001", "1234")
    s.main_window()
    for menu, item, window in REPORTS:
        s.open_from_menu(menu, item, window)
        s.check_reachable(window)
    window = REPORTS[-1][2]  # the one on top
    s.choose_first_region(window)
    s.tick_all(window)
    s.run(window)
    s.scroll(window)
    s.quit_program()


def use(desktop, args, env, docs, workdir, scenario):
    """Starts the program on `desktop`, goes through `scenario`, and always stops it again."""
    switch = sqlite3.connect(args.db, timeout=10)
    switch.execute("SELECT count(*) FROM 测试慢速开关").fetchall()
    program = Program(desktop, args.trellum, env, workdir)
    s = Scenario(program, workdir, args.keep_going)
    s.switch = switch
    try:
        scenario(s, docs)
        if s.problems:
            raise Failure(f"{len(s.problems)} checks failed")
    except Failure:
        program.screenshot(os.path.join(workdir, f"failure-{desktop.width}x{desktop.height}.png"))
        raise
    finally:
        program.stop()
        switch.close()


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--trellum", required=True)
    ap.add_argument("--demo-db-tool", required=True)
    ap.add_argument("--size", action="append", help="WIDTHxHEIGHT; the first gets the whole use")
    ap.add_argument("--keep", help="keep logs and screenshots in this folder")
    ap.add_argument("--keep-going", action="store_true",
                    help="report every failed check instead of stopping at the first")
    ap.add_argument("--only-reach", action="store_true", help=argparse.SUPPRESS)
    args = ap.parse_args()
    args.trellum = os.path.abspath(args.trellum)
    args.demo_db_tool = os.path.abspath(args.demo_db_tool)
    sizes = args.size or ["1024x768", "1366x768", "1920x1080"]
    for tool in ("Xvfb", "openbox", "xdotool", "xprop"):
        if not shutil.which(tool):
            print(f"{tool} is missing: run scripts/install-deps.sh", file=sys.stderr)
            return 1
    workdir = args.keep or tempfile.mkdtemp(prefix="trellum-realinput-")
    os.makedirs(workdir, exist_ok=True)
    env, docs = make_home(workdir, args.demo_db_tool)
    args.db = os.path.join(workdir, "demo.db")
    failed = False
    for i, size in enumerate(sizes):
        if args.only_reach and i == 0:
            continue
        width, height = (int(v) for v in size.split("x"))
        desktop = Desktop(width, height, workdir)
        try:
            use(desktop, args, env, docs, workdir, full_use if i == 0 else reach_all)
            step(f"{size}: passed")
        except Failure as e:
            failed = True
            print(f"FAILED at {size}: {e} (logs and a screenshot in {workdir})", file=sys.stderr, flush=True)
        finally:
            desktop.stop()
    if not failed and not args.keep:
        shutil.rmtree(workdir, ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
