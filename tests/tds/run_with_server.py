#!/usr/bin/python3
"""Runs one test command beside a fresh TDS test server: starts tds_server.py on free loopback
ports, hands them to the test as TRELLUM_TDS_PORT and TRELLUM_TDS_CONTROL, and stops the server
when the test ends (or when the time limit passes, failing the test)."""

import argparse
import os
import subprocess
import sys
import time


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--server", required=True)
    parser.add_argument("--extension", required=True)
    parser.add_argument("--timeout", type=float, default=280)
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command

    server = subprocess.Popen([sys.executable, args.server, "--extension", args.extension,
                               "--lifetime", str(args.timeout + 20)],
                              stdout=subprocess.PIPE, text=True)
    try:
        line = server.stdout.readline().split()
        if len(line) != 3 or line[0] != "PORTS":
            print("run_with_server: the test server did not start", file=sys.stderr)
            return 1
        env = dict(os.environ)
        env["TRELLUM_TDS_PORT"], env["TRELLUM_TDS_CONTROL"] = line[1], line[2]
        # FreeTDS reads only the test's own configuration, never the machine's
        env["FREETDSCONF"] = os.path.join(os.path.dirname(os.path.abspath(__file__)), "freetds.conf")
        env.pop("TDSVER", None)
        env.pop("TDSPORT", None)
        started = time.monotonic()
        try:
            return subprocess.run(command, env=env, timeout=args.timeout).returncode
        except subprocess.TimeoutExpired:
            print("run_with_server: the test ran past %.0f s and was stopped" % (time.monotonic() - started),
                  file=sys.stderr)
            return 1
    finally:
        server.terminate()
        try:
            server.wait(5)
        except subprocess.TimeoutExpired:
            server.kill()
            server.wait()


if __name__ == "__main__":
    sys.exit(main())
