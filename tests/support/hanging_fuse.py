#!/usr/bin/env python3
# A FUSE file system whose every call waits, as a network mount does when its server has gone;
# or, over a source folder, a share that answers slowly.
#
#   hanging_fuse.py MOUNTPOINT CALL_LOG [SUBTYPE [MAX_SECONDS]] [--source DIR] [--delay-ms N]
#                   [--typeless] [--open]
#
# Prints "ready" once the kernel has the mount. Each call is written to CALL_LOG as
# "<operation> <path> <thread id of the caller>" before it waits. A line "release" on stdin lets
# every call (waiting or to come) answer; "hang" makes them wait again. The end of stdin releases
# everything. SUBTYPE gives the mount the type "fuse.SUBTYPE" ("sshfs" makes it a network mount
# to the program).
#
# Without --source the root is an empty folder. With it the file system passes the source
# folder through, and once released every getattr and readdir answers after --delay-ms, with no
# attribute caching (the kernel then asks a lookup as a getattr too: a stat costs two calls).
# --typeless gives bare names from readdir, which the kernel hands on as DT_UNKNOWN; otherwise
# each name carries its type, as NFS and SMB do. --open starts released.
#
# A caller stuck in a FUSE call cannot be killed, not even by SIGKILL, so a test process killed
# while one of its threads waits here would never end, and would keep stdin open: after
# MAX_SECONDS (90 unless given) every call is released for good, whatever stdin says.
import os
import sys
import threading
import time

try:
    from fusepy import FUSE, FuseOSError, Operations, fuse_get_context  # Debian's name
except ImportError:
    from fuse import FUSE, FuseOSError, Operations, fuse_get_context

gate = threading.Event()
log_lock = threading.Lock()
released_for_good = threading.Event()


class Hanging(Operations):
    def __init__(self, log_path, source, delay, typeless):
        self.log = open(log_path, "a", buffering=1)
        self.source = source
        self.delay = delay
        self.typeless = typeless

    def __call__(self, op, *args):
        if op not in ("init", "destroy"):
            _, _, tid = fuse_get_context()
            with log_lock:
                self.log.write("%s %s %d\n" % (op, args[0] if args else "", tid))
            gate.wait()
            if self.source and op in ("getattr", "readdir") and self.delay > 0:
                time.sleep(self.delay)
        if self.source is None and op not in ("init", "destroy"):
            return getattr(Operations, op)(self, *args) if hasattr(Operations, op) else 0
        return super().__call__(op, *args)

    def init(self, path):
        print("ready", flush=True)

    def real(self, path):
        return os.path.join(self.source, path.lstrip("/"))

    def getattr(self, path, fh=None):
        try:
            st = os.lstat(self.real(path))
        except OSError as e:
            raise FuseOSError(e.errno)
        return {key: getattr(st, key) for key in (
            "st_mode", "st_nlink", "st_uid", "st_gid", "st_size", "st_atime", "st_mtime", "st_ctime")}

    def readdir(self, path, fh):
        out = [".", ".."]
        try:
            with os.scandir(self.real(path)) as entries:
                for e in entries:
                    if self.typeless:
                        out.append(e.name)
                    else:
                        mode = e.stat(follow_symlinks=False).st_mode
                        out.append((e.name, {"st_mode": mode & 0o170000}, 0))
        except OSError as e:
            raise FuseOSError(e.errno)
        return out

    def readlink(self, path):
        return os.readlink(self.real(path))

    def open(self, path, flags):
        try:
            return os.open(self.real(path), flags)
        except OSError as e:
            raise FuseOSError(e.errno)

    def read(self, path, size, offset, fh):
        os.lseek(fh, offset, 0)
        return os.read(fh, size)

    def release(self, path, fh):
        os.close(fh)
        return 0

    def statfs(self, path):
        st = os.statvfs(self.real(path))
        return {key: getattr(st, key) for key in (
            "f_bavail", "f_bfree", "f_blocks", "f_bsize", "f_favail", "f_ffree", "f_files", "f_flag",
            "f_frsize", "f_namemax")}


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
    args, flags = [], {"--source": None, "--delay-ms": "0"}
    switches = set()
    argv = sys.argv[1:]
    while argv:
        word = argv.pop(0)
        if word in flags:
            flags[word] = argv.pop(0)
        elif word in ("--typeless", "--open"):
            switches.add(word)
        else:
            args.append(word)
    mount_point, log_path = args[0], args[1]
    options = {"foreground": True, "nothreads": False, "fsname": "hanging"}
    if len(args) > 2 and args[2]:
        options["subtype"] = args[2]
    source = flags["--source"]
    if source:
        options.update(attr_timeout=0, entry_timeout=0, negative_timeout=0)
    if "--open" in switches:
        gate.set()
    limit = threading.Timer(float(args[3]) if len(args) > 3 else 90.0, release_for_good)
    limit.daemon = True
    limit.start()
    threading.Thread(target=control, daemon=True).start()
    operations = Hanging(log_path, source, float(flags["--delay-ms"]) / 1000.0, "--typeless" in switches)
    FUSE(operations, mount_point, **options)
    os._exit(0)


main()
