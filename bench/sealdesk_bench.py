#!/usr/bin/env python3
"""Figures for Sealdesk.exe in a real X server (run by hand: xvfb-run -a bench/sealdesk_bench.py build/bin [startup] [big] [many]):

- start-up: process start to the encrypt dialog visible and holding the focus in its password box, next to
  the same start with no dialog (log server, help, registration, command line) and the servers alone;
- 100 MB through "Sealdesk /e" (Return pressed to the program's end) against the plug-in's EncryptFile
  alone on the same file, through objcall, in the same run, for each method;
- a folder of 1,000 small files through "Sealdesk /e": files per second.
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

CAPTION = "^Velmora Sealdesk$"
PASSWORD = "bench password"


def sandbox(root):
    env = dict(os.environ)
    for name, sub in (("HOME", "home"), ("XDG_DATA_HOME", "data"), ("XDG_CONFIG_HOME", "config"),
                      ("XDG_CACHE_HOME", "cache"), ("XDG_RUNTIME_DIR", "runtime"), ("TMPDIR", "tmp"),
                      ("VELMORA_DRIVE_C", "drive_c")):
        os.makedirs(os.path.join(root, sub), mode=0o700, exist_ok=True)
        env[name] = os.path.join(root, sub)
    env["VELMORA_REGISTRY"] = os.path.join(root, "registry.db")
    return env


def xdotool(env, *args):
    return subprocess.run(["xdotool", *args], env=env, timeout=30, capture_output=True, text=True).stdout


def wait_for_dialog(env, bound=30.0):
    end = time.monotonic() + bound
    while time.monotonic() < end:
        found = xdotool(env, "search", "--onlyvisible", "--name", CAPTION).split()
        if found:
            return found[0]
    raise TimeoutError("no dialog")


def start_dialog(bin_dir, env, arguments):
    started = time.monotonic()
    process = subprocess.Popen([os.path.join(bin_dir, "Sealdesk.exe"), *arguments], env=env)
    window = wait_for_dialog(env)
    return process, window, time.monotonic() - started


# The methods as the dialog lists them, by their plug-ins' file names, and how far down the list each is.
METHODS = {"Ageseal": 0, "Argonbox": 1, "Blockrune": 2}


def confirm(env, process, window, plug_in):
    """Types the password twice (picking the plug-in's method first), presses Return, and returns the
    seconds from Return to the program's end."""
    xdotool(env, "windowfocus", "--sync", window)
    if METHODS[plug_in]:
        xdotool(env, "key", "--window", window, "shift+Tab", *["Down"] * METHODS[plug_in], "Tab")
    xdotool(env, "type", "--window", window, PASSWORD)
    xdotool(env, "key", "--window", window, "Tab")
    xdotool(env, "type", "--window", window, PASSWORD)
    pressed = time.monotonic()
    xdotool(env, "key", "--window", window, "Return")
    process.wait(timeout=600)
    return time.monotonic() - pressed


def plug_in_alone(bin_dir, env, plug_in, path):
    objcall = os.path.join(bin_dir, "objcall")
    library = os.path.join(bin_dir, "Encryption", plug_in + ".dll")
    started = time.monotonic()
    out = subprocess.run([objcall, "--register", library, plug_in + ".Main",
                          f"EncryptFile(s:{path}, s:{path}, s:{PASSWORD})"], env=env, capture_output=True,
                         text=True, timeout=600).stdout
    elapsed = time.monotonic() - started
    assert "b:true" in out, out
    return elapsed


def main():
    bin_dir = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/bin")
    parts = set(sys.argv[2:]) or {"startup", "big", "many"}
    with tempfile.TemporaryDirectory(prefix="sealdesk-bench-") as root:
        env = sandbox(root)
        files = os.path.join(root, "files")
        os.makedirs(files)
        probe = os.path.join(files, "probe.txt")
        with open(probe, "wb") as f:
            f.write(b"probe")

        if "startup" in parts:
            startup(bin_dir, env, probe)
        if "big" in parts:
            big_file(bin_dir, env, files)
        if "many" in parts:
            many_files(bin_dir, env, files)


def startup(bin_dir, env, probe):
    if True:
        # First start registers the suite's classes; not counted.
        process, window, _ = start_dialog(bin_dir, env, ["/e", probe])
        xdotool(env, "key", "--window", window, "Escape")
        process.wait(timeout=30)
        ready, bare = [], []
        for _ in range(7):
            process, window, seconds = start_dialog(bin_dir, env, ["/e", probe])
            ready.append(seconds)
            xdotool(env, "key", "--window", window, "Escape")
            process.wait(timeout=30)
            started = time.monotonic()
            subprocess.run([os.path.join(bin_dir, "Sealdesk.exe")], env=env, timeout=30)
            bare.append(time.monotonic() - started)
        print(f"start-up to the encrypt dialog visible: median {statistics.median(ready) * 1000:.0f} ms "
              f"(min {min(ready) * 1000:.0f})")
        print(f"the same start without a dialog (log server, help, registration, parsing): median "
              f"{statistics.median(bare) * 1000:.0f} ms")

def big_file(bin_dir, env, files):
    if True:
        big = os.path.join(files, "big.bin")
        for plug_in in ("Ageseal", "Argonbox", "Blockrune"):
            with open(big, "wb") as f:
                f.write(os.urandom(100 * 1024 * 1024))
            alone = plug_in_alone(bin_dir, env, plug_in, big)
            os.rename(big, big + ".alone")
            with open(big, "wb") as f:
                f.write(os.urandom(100 * 1024 * 1024))
            process, window, _ = start_dialog(bin_dir, env, ["/e", big])
            through = confirm(env, process, window, plug_in)
            assert os.path.exists(big + ".zqf")
            print(f"100 MB, {plug_in}: EncryptFile alone {alone:.2f} s, through Sealdesk /e {through:.2f} s "
                  f"(ratio {through / alone:.2f})")
            for leftover in (big + ".zqf", big + ".alone"):
                os.remove(leftover)

def many_files(bin_dir, env, files):
    if True:
        for plug_in in ("Blockrune", "Argonbox", "Ageseal"):
            folder = os.path.join(files, "many-" + plug_in)
            os.makedirs(folder)
            for i in range(1000):
                with open(os.path.join(folder, f"file{i:04}.txt"), "wb") as f:
                    f.write(os.urandom(1024))
            process, window, _ = start_dialog(bin_dir, env, ["/e", folder])
            seconds = confirm(env, process, window, plug_in)
            done = sum(name.endswith(".zqf") for name in os.listdir(folder))
            assert done == 1000, done
            print(f"1,000 files of 1 KB, {plug_in}: {seconds:.2f} s, {1000 / seconds:.0f} files/s")


if __name__ == "__main__":
    main()
