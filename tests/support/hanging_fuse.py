#!/usr/bin/env python3
# A FUSE file system whose every call waits, as a network mount does when its server has gone.
#
#   hanging_fuse.py MOUNTPOINT CALL_LOG [SUBTYPE [MAX_SECONDS]]
#
# Prints "ready" once the kernel has the mount. Each call is written to CALL_LOG as
# "<operation> <path> <thread id of the caller>" before it waits. A line "release" on stdin lets
# every call (waiting or to come) answer, as an empty readable folder; "hang" makes them wait
# again. The end of stdin releases everything. SUBTYPE gives the mount the type "fuse.SUBTYPE"
# ("sshfs" makes it a network mount to the program).
#
# A caller stuck in a FUSE call cannot be killed, not even by SIGKILL, so a test process killed
# while one of its threads waits here would never end, and would keep stdin open: after
# MAX_SECONDS (90 unless given) every call is released for good, whatever stdin says.
import os
import sys
import threading

try:
    from fusepy import FUSE, Operations, fuse_get_context  # Debian's name for the module
except ImportError:
    from fuse import FUSE, Operations, fuse_get_context

gate = threading.Event()
log_lock = threading.Lock()
released_for_good = threading.Event()


class Hanging(Operations):
    def __init__(self, log_path):
        self.log = open(log_path, "a", buffering=1)

    def __call__(self, op, *args):
        if op not in ("init", "destroy"):
            _, _, tid = fuse_get_context()
            with log_lock:
                self.log.write("%s %s %d\n" % (op, args[0] if args else "", tid))
            gate.wait()
        return super().__call__(op, *args)

    def init(self, path):
        print("ready", flush=True)


def control():
    for line in sys.stdin:
        word = line.strip()
        if word == "release":
            gate.set()
        elif word == "hang" and not released_for_good.is_set():
            gate.clear()
    gate.set()


def release_for_good():
    released_for_good.set()
    gate.set()


def main():
    mount_point, log_path = sys.argv[1], sys.argv[2]
    options = {"foreground": True, "nothreads": False, "fsname": "hanging"}
    if len(sys.argv) > 3 and sys.argv[3]:
        options["subtype"] = sys.argv[3]
    limit = threading.Timer(float(sys.argv[4]) if len(sys.argv) > 4 else 90.0, release_for_good)
    limit.daemon = True
    limit.start()
    threading.Thread(target=control, daemon=True).start()
    FUSE(Hanging(log_path), mount_point, **options)
    os._exit(0)


main()
