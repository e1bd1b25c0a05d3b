#!/usr/bin/env python3
"""The month-end close used as a person does, on an X server (Xvfb) with a window manager
(openbox), with the mouse and the keyboard going through the X server (xdotool).

It logs in, opens 报修情况统计 -> 月底批量导出…, keeps the offered period and folder, unticks all
but two regions with the keyboard and two of the four reports with the mouse, makes one report at
a time, starts, stops, starts again, waits for the end and finds the files in the documents
folder: the two regions' folders with the two workbooks and close.json each, and nothing else.
It fails on a crash, a window that does not answer, or files that are missing or too many.
"""

import argparse
import datetime
import json
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import Desktop, Failure, Program  # noqa: E402
from use_trellum import Scenario, make_home, step  # noqa: E402

DIALOG = "frm月底批量导出"


def last_month():
    first = datetime.date.today().replace(day=1)
    start = (first - datetime.timedelta(days=1)).replace(day=1)
    return start, first - datetime.timedelta(days=1)


def close_month(s, docs):
    p = s.p
    step("log in as 1001, open 月底批量导出…")
    s.login("1001", "1234")
    s.main_window()
    s.open_from_menu("报修情况统计", "月底批量导出…", DIALOG)

    step("two regions by keyboard, two reports by mouse, one report at a time")
    regions = p.find("regions", under=DIALOG)
    x, y, w, h = regions["rect"]
    p.click_at(x + w * 3 // 4, y + 12)   # the first entry's text: it becomes current, its tick stays
    p.key("Home", "Down", "Down", "space", "Down", "space")
    for name in ("ledger", "performance"):
        p.click(p.find(name, under=DIALOG))
        p.wait(f"{name} to be unticked", lambda snap, n=name: not Program.find_in(snap, n, under=DIALOG).get("checked"))
    p.click(p.find("jobs", under=DIALOG))
    p.key("ctrl+a")
    p.type("1")
    p.wait("one report at a time", lambda snap: Program.find_in(snap, "jobs", under=DIALOG).get("text") == "1")

    step("start, then stop")
    start = p.find("start", under=DIALOG)
    p.click(start)
    p.wait("the start button to become 停止",
           lambda snap: Program.find_in(snap, "start", under=DIALOG).get("text") == "停止", timeout=30)
    p.click(start)
    ended = p.wait("the close to stop", lambda snap: (lambda w: w if w and w.get("text", "").startswith("已") else None)(
        Program.find_in(snap, "summary", under=DIALOG)), timeout=120)
    if not ended["text"].startswith("已停止"):
        s.fail(f"after 停止 the summary says: {ended['text']}")
    lines = p.find("lines", under=DIALOG)
    if lines.get("rows") != 4:
        s.fail(f"{lines.get('rows')} lines for two regions and two reports")

    start_day, end_day = last_month()
    folder = os.path.join(docs, "Trellum", start_day.strftime("%Y%m"))
    stopped = [f for _, _, files in os.walk(folder) for f in files if f.endswith(".xlsx")]
    if len(stopped) >= 4:
        s.fail(f"the stopped close wrote every workbook: {stopped}")

    step("start again and let it finish")
    p.click(start)
    p.wait("the close to finish", lambda snap: (lambda w: w if w and w.get("text", "").startswith("已结束") else None)(
        Program.find_in(snap, "summary", under=DIALOG)), timeout=300)
    if not p.find("openFolder", under=DIALOG).get("enabled"):
        s.fail("打开文件夹 does not answer after the close")

    found = sorted(os.path.relpath(os.path.join(d, f), folder) for d, _, files in os.walk(folder) for f in files)
    period = f"{start_day:%Y%m%d}_{end_day:%Y%m%d}"
    wanted = sorted(os.path.join(region, name) for region in os.listdir(folder)
                    for name in ("close.json", f"维修完成情况一览表_{period}.xlsx", f"报修簿月底汇总表_{period}.xlsx"))
    if len(os.listdir(folder)) != 2 or found != wanted:
        s.fail(f"the folder holds {found}, not the two regions' workbooks and records")
    for region in os.listdir(folder):
        with open(os.path.join(folder, region, "close.json"), encoding="utf-8") as f:
            statuses = [item["status"] for item in json.load(f)["items"]]
        if statuses != ["done", "done"]:
            s.fail(f"{region}/close.json lists {statuses}")

    step("close the dialog and the program")
    p.click(p.find("close", under=DIALOG))
    p.wait("the dialog to close", lambda snap: Program.find_in(snap, DIALOG) is None)
    s.quit_program()


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--trellum", required=True)
    ap.add_argument("--demo-db-tool", required=True)
    ap.add_argument("--keep", help="keep logs and screenshots in this folder")
    args = ap.parse_args()
    for tool in ("Xvfb", "openbox", "xdotool", "xprop"):
        if not shutil.which(tool):
            print(f"{tool} is missing: run scripts/install-deps.sh", file=sys.stderr)
            return 1
    workdir = args.keep or tempfile.mkdtemp(prefix="trellum-close-")
    os.makedirs(workdir, exist_ok=True)
    # a database without the program's indexes, large enough that a stop lands before the end
    db = os.path.join(workdir, "demo.db")
    if not os.path.exists(db):
        start_day, end_day = last_month()
        subprocess.run([os.path.abspath(args.demo_db_tool), "--out", db, "--orders", "300000", "--years", "1",
                        "--end", end_day.isoformat(), "--no-indexes"],
                       check=True, timeout=300, stdout=subprocess.DEVNULL)
    env, docs = make_home(workdir, os.path.abspath(args.demo_db_tool))
    desktop = Desktop(1024, 768, workdir)
    program = Program(desktop, os.path.abspath(args.trellum), env, workdir)
    s = Scenario(program, workdir)
    failed = False
    try:
        close_month(s, docs)
        step("passed")
    except Failure as e:
        failed = True
        program.screenshot(os.path.join(workdir, "failure.png"))
        print(f"FAILED: {e} (logs and a screenshot in {workdir})", file=sys.stderr, flush=True)
    finally:
        program.stop()
        desktop.stop()
    if not failed and not args.keep:
        shutil.rmtree(workdir, ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
