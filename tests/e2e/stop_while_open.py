#!/usr/bin/env python3
"""Freezes a process (SIGSTOP) while it holds a given file open, for a look at the screen then.

stop_while_open.py FILE PID_FILE READY_FILE [SECONDS]
Started before the process: creates READY_FILE once it is running, then reads the process's id
from PID_FILE as soon as that appears (write it elsewhere and rename it there), polls the
process's open files until one of them is FILE, stops the process, and checks that FILE is
still open: then the process is frozen in the middle of its work on FILE. Exit status 0 then;
2 when the process had closed FILE by the time it stopped (it is sent SIGCONT again), or ended
or passed SECONDS (default 60) without being seen to hold FILE open; 1 for wrong usage.
"""
import os
import signal
import sys
import time


def holds_open(pid: int, target: str) -> bool:
    folder = f"/proc/{pid}/fd"
    try:
        names = os.listdir(folder)
    except OSError:
        return False
    for name in names:
        try:
            if os.readlink(os.path.join(folder, name)) == target:
                return True
        except OSError:
            pass
    return False


def state(pid: int) -> str:
    try:
        with open(f"/proc/{pid}/stat") as stat:
            return stat.read().rsplit(")", 1)[1].split()[0]
    except OSError:
        return "gone"


def stopped(pid: int) -> bool:
    return state(pid) == "T"


def main() -> int:
    if len(sys.argv) < 4:
        print(__doc__, file=sys.stderr)
        return 1
    target = os.path.realpath(sys.argv[1])
    pid_file, ready_file = sys.argv[2], sys.argv[3]
    deadline = time.monotonic() + (float(sys.argv[4]) if len(sys.argv) > 4 else 60.0)
    open(ready_file, "w").close()
    pid = None
    while pid is None:
        if time.monotonic() > deadline:
            return 2
        try:
            with open(pid_file) as f:
                pid = int(f.read())
        except (OSError, ValueError):
            time.sleep(0.001)
    while time.monotonic() < deadline:
        if state(pid) in ("Z", "gone"):
            return 2
        if holds_open(pid, target):
            os.kill(pid, signal.SIGSTOP)
            while not stopped(pid) and time.monotonic() < deadline:
                time.sleep(0.001)
            if stopped(pid) and holds_open(pid, target):
                return 0
            os.kill(pid, signal.SIGCONT)
            return 2
    return 2


if __name__ == "__main__":
    sys.exit(main())
