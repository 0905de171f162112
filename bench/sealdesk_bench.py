#!/usr/bin/env python3
"""Figures for Sealdesk.exe in a real X server (run by hand: xvfb-run -a bench/sealdesk_bench.py build/bin [startup] [big] [many[:COUNT]]):

- start-up: process start to the encrypt dialog visible and holding the focus in its password box, next to
  the same start with no dialog (log server, help, registration, command line) and the servers alone;
- 100 MB through "Sealdesk /e" (Return pressed to the program's end) against the plug-in's EncryptFile
  alone on the same file, through objcall, in the same run, for each method;
- a folder of 1,000 small files through "Sealdesk /e" and back through "Sealdesk /d" on the folder, process
  start to exit, with the program's peak memory, for each method, against ccrypt -r in the same run
  ("many:10000": the same with 10,000 files in ten sub-folders).
"""
import os
import shutil
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


def wait_for_dialog(env, bound=120.0, process=None):
    end = time.monotonic() + bound
    while time.monotonic() < end:
        if process is not None and process.poll() is not None:
            raise RuntimeError(f"Sealdesk ended with {process.returncode} before its dialog showed")
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
        xdotool(env, "key", "shift+Tab", *["Down"] * METHODS[plug_in], "Tab")
    xdotool(env, "type", PASSWORD)
    xdotool(env, "key", "Tab")
    xdotool(env, "type", PASSWORD)
    pressed = time.monotonic()
    xdotool(env, "key", "Return")
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
        for part in parts:
            if part.startswith("many"):  # "many" or "many:COUNT"
                many_files(bin_dir, env, files, int(part.partition(":")[2] or 1000))


def startup(bin_dir, env, probe):
    if True:
        # First start registers the suite's classes; not counted.
        process, window, _ = start_dialog(bin_dir, env, ["/e", probe])
        xdotool(env, "key", "Escape")
        process.wait(timeout=30)
        ready, bare = [], []
        for _ in range(7):
            process, window, seconds = start_dialog(bin_dir, env, ["/e", probe])
            ready.append(seconds)
            xdotool(env, "key", "Escape")
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

def run_measured(process_args, env, confirm_args):
    """Starts Sealdesk, confirms its dialog, and returns (seconds from process start to exit, peak resident
    memory of the program in MB)."""
    started = time.monotonic()
    process = subprocess.Popen(process_args, env=env)
    window = wait_for_dialog(env, process=process)
    confirm_dialog(env, window, *confirm_args)
    _, _, usage = os.wait4(process.pid, 0)
    process.returncode = 0
    return time.monotonic() - started, usage.ru_maxrss / 1024


def confirm_dialog(env, window, position, twice):
    """Picks the method at position (0 = the first entry) and types the password (twice on encrypt)."""
    xdotool(env, "windowfocus", "--sync", window)
    if position:
        # The encrypt dialog's list is behind the password boxes, the decrypt dialog's right after the box.
        downs = ("Down",) * position
        xdotool(env, "key", *(("shift+Tab", *downs, "Tab") if twice else ("Tab", *downs, "shift+Tab")))
    xdotool(env, "type", PASSWORD)
    if twice:
        xdotool(env, "key", "Tab")
        xdotool(env, "type", PASSWORD)
    xdotool(env, "key", "Return")


def fill(folder, count, size):
    os.makedirs(folder)
    per_folder = 1000
    for i in range(count):
        sub = os.path.join(folder, f"d{i // per_folder:02}") if count > per_folder else folder
        os.makedirs(sub, exist_ok=True)
        with open(os.path.join(sub, f"file{i:05}.txt"), "wb") as f:
            f.write(os.urandom(size))


def count_files(folder, suffix):
    return sum(name.endswith(suffix) for _, _, names in os.walk(folder) for name in names)


def many_files(bin_dir, env, files, count=1000):
    """count files of 1 KB through "Sealdesk /e" on their folder and back through "Sealdesk /d" on it,
    process start to exit, for each method, next to ccrypt -r on the same kind of folder in the same run."""
    exe = os.path.join(bin_dir, "Sealdesk.exe")
    # The first start registers the suite's classes; not counted.
    process, window, _ = start_dialog(bin_dir, env, ["/e", os.path.join(files, "probe.txt")])
    xdotool(env, "key", "Escape")
    process.wait(timeout=30)
    print(f"{count:,} files of 1 KB (load {os.getloadavg()[0]:.1f})")
    results = {}
    # The dialogs list the plug-ins in the order of their file names.
    listed = sorted(name[:-4] for name in os.listdir(os.path.join(bin_dir, "Encryption")) if name.endswith(".dll"))
    for plug_in in ("Argonbox", "Blockrune", "Ageseal"):
        if plug_in not in listed:
            continue
        position = listed.index(plug_in)
        folder = os.path.join(files, f"many-{plug_in}-{count}")
        fill(folder, count, 1024)
        os.sync()
        seconds, peak = run_measured([exe, "/e", folder], env, (position, True))
        done = count_files(folder, ".zqf")
        print(f"  {plug_in} /e: {seconds:.2f} s, {count / seconds:.0f} files/s, peak {peak:.0f} MB, "
              f"{done} encrypted")
        results[(plug_in, "/e")] = seconds
        os.sync()
        seconds, peak = run_measured([exe, "/d", folder], env, (position, False))
        left = count_files(folder, ".zqf")
        print(f"  {plug_in} /d on the folder: {seconds:.2f} s, {count / seconds:.0f} files/s, peak {peak:.0f} MB, "
              f"{count - left} decrypted")
        results[(plug_in, "/d")] = seconds
        subprocess.run(["rm", "-rf", folder])
    if shutil.which("ccrypt"):
        folder = os.path.join(files, f"many-ccrypt-{count}")
        fill(folder, count, 1024)
        os.sync()
        started = time.monotonic()
        subprocess.run(["ccrypt", "-r", "-e", "-K", PASSWORD, folder], check=True)
        encrypt = time.monotonic() - started
        started = time.monotonic()
        subprocess.run(["ccrypt", "-r", "-d", "-K", PASSWORD, folder], check=True)
        decrypt = time.monotonic() - started
        subprocess.run(["rm", "-rf", folder])
        print(f"  ccrypt -r: -e {encrypt:.2f} s ({count / encrypt:.0f} files/s), -d {decrypt:.2f} s "
              f"({count / decrypt:.0f} files/s)")
        for (plug_in, verb), seconds in results.items():
            print(f"  ratio {plug_in} {verb} / ccrypt: {seconds / (encrypt if verb == '/e' else decrypt):.1f}")


if __name__ == "__main__":
    main()
