#!/usr/bin/env python3
"""The real Shredwell.exe under an X server, driven as a user drives it: started with files and a folder
tree, its window found by its caption, Return pressed on it. The files go; the tree's folders, its empty
files and its hidden files stay. Runs in a sandbox of its own (registry, drive C:, HOME, XDG_* folders).

Usage: end_to_end.py path/to/Shredwell.exe   (with DISPLAY set, e.g. under testsupport/src/private_display.py)
"""
import os
import subprocess
import sys
import tempfile
import time

BOUND = 60  # seconds for any one step; a healthy run takes a few


def sandboxed_environment(root):
    env = dict(os.environ)
    for name in ("HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "TMPDIR"):
        folder = os.path.join(root, name.lower())
        os.makedirs(folder, mode=0o700, exist_ok=True)
        env[name] = folder
    env["VELMORA_REGISTRY"] = os.path.join(root, "registry.db")
    # No session bus: one autolaunched through the X server (dbus-x11) breaks the next program's X
    # connection, and these runs need none.
    env["DBUS_SESSION_BUS_ADDRESS"] = "disabled:"
    env["VELMORA_DRIVE_C"] = os.path.join(root, "drive_c")
    os.makedirs(env["VELMORA_DRIVE_C"], exist_ok=True)
    # The window must open on the X server the driver searches, whatever platform the caller's
    # environment names.
    for name in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY"):
        env.pop(name, None)
    return env


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def find_window(env, caption):
    """The first visible window with that caption, looked for until BOUND. A search fails outright when a
    window it walks goes away meanwhile (the servers' windows come and go): it is simply looked for again."""
    deadline = time.monotonic() + BOUND
    while True:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", caption], env=env,
                               capture_output=True, text=True, timeout=BOUND).stdout.split()
        if found:
            return found[0]
        assert time.monotonic() < deadline, f"no window {caption}"
        time.sleep(0.05)


def press(env, caption, keys):
    window = find_window(env, caption)
    subprocess.run(["xdotool", "windowfocus", "--sync", window], env=env, timeout=BOUND, check=True)
    subprocess.run(["xdotool", "key", "--delay", "50", *keys], env=env, timeout=BOUND, check=True)


def run_shredwell(program, items, env, keys=("Return",), cwd=None, left_alone=False):
    """Starts the program with the items, waits for its window by caption, types the keys into it and
    waits for the program to end (confirming its closing message about what it left, when one is due).
    Returns its exit status."""
    process = subprocess.Popen([program, *items], env=env, cwd=cwd)
    try:
        press(env, "^Shredwell$", keys)
        if left_alone:
            press(env, "^Shredwell - Not destroyed$", ("Return",))
        return process.wait(timeout=BOUND)
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()


def main():
    program = os.path.abspath(sys.argv[1])
    with tempfile.TemporaryDirectory(prefix="shredwell-e2e-") as root:
        env = sandboxed_environment(os.path.join(root, "sandbox"))
        data = os.path.join(root, "data")
        gone = ["one.txt", "name with blanks.txt", "tree/a", "tree/sub/b", "tree/sub/deeper/c"]
        stay_files = ["tree/empty", "tree/sub/deeper/empty too", "tree/.hidden"]
        stay_folders = ["tree", "tree/sub", "tree/sub/deeper"]
        for name in gone:
            write(os.path.join(data, name), name.encode() * 100)
        for name in stay_files:
            write(os.path.join(data, name), b"kept" if name.endswith(".hidden") else b"")
        status = run_shredwell(program, [os.path.join(data, n) for n in ("one.txt", "name with blanks.txt", "tree")],
                               env, keys=("ctrl+a", "1", "Return"))
        failures = []
        if status != 0:
            failures.append(f"exit status {status}")
        failures += [f"{n} still there" for n in gone if os.path.lexists(os.path.join(data, n))]
        failures += [f"{n} is gone" for n in stay_files if not os.path.isfile(os.path.join(data, n))]
        failures += [f"folder {n} is gone" for n in stay_folders if not os.path.isdir(os.path.join(data, n))]
        with open(os.path.join(data, "tree/.hidden"), "rb") as f:
            if f.read() != b"kept":
                failures.append("the hidden file changed")
        # Escape erases nothing.
        write(os.path.join(data, "kept.txt"), b"kept")
        status = run_shredwell(program, [os.path.join(data, "kept.txt")], env, keys=("Escape",))
        if status != 0 or not os.path.isfile(os.path.join(data, "kept.txt")):
            failures.append(f"Escape: status {status}, kept.txt there: {os.path.isfile(os.path.join(data, 'kept.txt'))}")
        # Names Win32 forbids are names like any other here, given relative to the working folder; a file
        # with a second name is left whole, and the closing message says so.
        odd = ["q?.bin", "st*r.bin", "-dash", "a<b>|c:d\"e", "line\nbreak", "tab\there"]
        for name in odd + ["qa.bin"]:
            write(os.path.join(data, "odd", name), b"odd " + name.encode())
        write(os.path.join(data, "outside", "keep.bin"), b"reachable from elsewhere")
        os.link(os.path.join(data, "outside", "keep.bin"), os.path.join(data, "odd", "hl.bin"))
        status = run_shredwell(program, odd + ["hl.bin"], env, cwd=os.path.join(data, "odd"), left_alone=True)
        if status != 0:
            failures.append(f"odd names: exit status {status}")
        failures += [f"{n!r} still there" for n in odd if os.path.lexists(os.path.join(data, "odd", n))]
        if not os.path.isfile(os.path.join(data, "odd", "qa.bin")):
            failures.append("qa.bin went with 'q?.bin'")
        with open(os.path.join(data, "outside", "keep.bin"), "rb") as f:
            if f.read() != b"reachable from elsewhere":
                failures.append("a hard link's data was overwritten")
        for failure in failures:
            print("FAIL:", failure)
        if failures:
            return 1
        print("Shredwell end to end: files wiped, folders and empty files kept, Escape kept everything")
        return 0


if __name__ == "__main__":
    sys.exit(main())
