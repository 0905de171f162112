#!/usr/bin/env python3
"""Runs a command on an X server of its own: private_display.py COMMAND [ARGUMENT]...

Xvfb chooses the display number itself and writes it to a pipe (-displayfd), so tests started at the same
moment never share a server, as they can when a number is guessed from the lock files (xvfb-run -a). The
command's exit status is this script's; the server goes with it."""
import os
import subprocess
import sys


def start_xvfb():
    """Starts Xvfb on a free display; returns the process and the DISPLAY value (None if it did not start)."""
    read_end, write_end = os.pipe()
    # -noreset: by default the server resets when its last client goes, and a program connecting during
    # that reset is turned away ("cannot open display"); a test's programs come and go one after another.
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-noreset", "-nolisten", "tcp", "-screen", "0",
                             "1280x1024x24"], pass_fds=(write_end,), stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as numbers:
        number = numbers.readline().strip()
    return xvfb, (":" + number if number else None)


def run_on_private_display(command, env=None):
    xvfb, display = start_xvfb()
    try:
        if display is None:
            sys.exit(f"{os.path.basename(sys.argv[0])}: Xvfb did not start")
        return subprocess.call(command, env=dict(env if env is not None else os.environ, DISPLAY=display))
    finally:
        xvfb.terminate()
        xvfb.wait()


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    sys.exit(run_on_private_display(sys.argv[1:]))
