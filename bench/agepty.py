#!/usr/bin/env python3
"""Runs age with its passphrase typed on a pseudo-terminal, as a user would, and prints the child's wall
time and CPU time (user + system) in seconds. Usage: agepty.py PASSPHRASE age ARGS..."""
import os
import pty
import sys
import time

passphrase = sys.argv[1].encode() + b"\n"
start = time.monotonic()
pid, fd = pty.fork()
if pid == 0:
    os.execvp(sys.argv[2], sys.argv[2:])
seen = b""
while True:
    try:
        data = os.read(fd, 1024)
    except OSError:  # the child closed the terminal
        break
    if not data:
        break
    seen += data
    # Every prompt ("Enter passphrase...", "Confirm passphrase:") ends with a colon.
    while b"passphrase" in seen and b":" in seen[seen.index(b"passphrase"):]:
        os.write(fd, passphrase)
        seen = seen[seen.index(b"passphrase") + len(b"passphrase"):]
        seen = seen[seen.index(b":") + 1:]
_, status, usage = os.wait4(pid, 0)
print(f"{time.monotonic() - start:.3f} {usage.ru_utime + usage.ru_stime:.3f}")
sys.exit(os.waitstatus_to_exitcode(status))
