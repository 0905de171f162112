#!/usr/bin/env python3
"""Figures for Sealdesk.exe in a real X server (run by hand:
xvfb-run -a bench/sealdesk_bench.py build/bin [startup] [big] [many[:COUNT]] [--before OTHER/build/bin]):

- start-up: process start to the encrypt dialog visible, next to the same start with no dialog (log server,
  help, registration, command line), and Shredwell's start to its window visible; with --before, both
  builds in turn, round after round. Windows are waited for through the X server's notices, not by
  polling, so the driver takes no CPU from the start it times;
- 100 MB through "Sealdesk /e" (Return pressed to the program's end) against the plug-in's EncryptFile
  alone on the same file, through objcall, in the same run, for each method;
- a folder of 1,000 small files through "Sealdesk /e" and back through "Sealdesk /d" on the folder, process
  start to exit, with the program's peak memory, for each method, against ccrypt -r in the same run
  ("many:10000": the same with 10,000 files in ten sub-folders). Meanwhile the progress window is pinged
  every 50 ms: the longest wait for its answer (frozen if over 200 ms) and how many different pictures of
  it were seen. With --before, the same folders also go through an older build, each method both builds
  one after the other, so that both see the same load.
"""
import os
import select
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from window_probe import WindowProbe, X, display, error

TITLE = "Velmora Sealdesk"
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


class WindowWatch:
    """Waits for a window with the program's caption to show, from the X server's own notice of each
    window mapped. Made before the program starts, so that no window is missed. Waiting takes no time
    from the program: a driver that started xdotool again and again took a core's share of this 2-core
    machine from the very start it timed."""

    def __init__(self, env, title=TITLE):
        self.title = title
        self.display = display.Display(env["DISPLAY"])
        self.root = self.display.screen().root
        self.root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.display.sync()

    def _shown(self):
        for child in self.root.query_tree().children:
            try:
                if child.get_attributes().map_state == X.IsViewable and child.get_wm_name() == self.title:
                    return str(child.id)
            except error.XError:  # gone while looked at
                continue
        return None

    def wait(self, bound=120.0, process=None):
        end = time.monotonic() + bound
        try:
            window = self._shown()  # up before the watch began
            if window:
                return window
            while time.monotonic() < end:
                mapped = False
                while self.display.pending_events():
                    mapped |= self.display.next_event().type == X.MapNotify
                if mapped or not select.select([self.display], [], [], 0.05)[0]:
                    window = self._shown()
                    if window:
                        return window
                if process is not None and process.poll() is not None:
                    raise RuntimeError(f"the program ended with {process.returncode} before its window showed")
            raise TimeoutError("no dialog")
        finally:
            self.display.close()


def wait_for_dialog(env, bound=120.0, process=None):
    """For a window that may be up already."""
    return WindowWatch(env).wait(bound, process)


def start_dialog(bin_dir, env, arguments, program="Sealdesk.exe", title=TITLE):
    watch = WindowWatch(env, title)
    started = time.monotonic()
    process = subprocess.Popen([os.path.join(bin_dir, program), *arguments], env=env)
    window = watch.wait(process=process)
    return process, window, time.monotonic() - started


# Each method is picked in the dialog's list by the first letter of its name, which no other shares.
METHODS = {"Ageseal": "a", "Argonbox": "X", "Blockrune": "2"}


def pick_method(env, plug_in, twice):
    """Picks the plug-in's method in the focused dialog and comes back to the (first) password box: the
    encrypt dialog's list is two before its first password box in the tab order (the items list between),
    the decrypt dialog's right after its box."""
    if twice:
        xdotool(env, "key", "shift+Tab", "shift+Tab", METHODS[plug_in], "Tab", "Tab")
    else:
        xdotool(env, "key", "Tab", METHODS[plug_in], "shift+Tab")


def confirm(env, process, window, plug_in):
    """Types the password twice (picking the plug-in's method first), presses Return, and returns the
    seconds from Return to the program's end."""
    xdotool(env, "windowfocus", "--sync", window)
    pick_method(env, plug_in, True)
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
    arguments = sys.argv[1:]
    before = None
    if "--before" in arguments:
        at = arguments.index("--before")
        before = os.path.abspath(arguments[at + 1])
        del arguments[at:at + 2]
    bin_dir = os.path.abspath(arguments[0] if arguments else "build/bin")
    parts = set(arguments[1:]) or {"startup", "big", "many"}
    with tempfile.TemporaryDirectory(prefix="sealdesk-bench-") as root:
        env = sandbox(root)
        files = os.path.join(root, "files")
        os.makedirs(files)
        probe = os.path.join(files, "probe.txt")
        with open(probe, "wb") as f:
            f.write(b"probe")

        builds = [("after", bin_dir, env)]
        if before:
            # A registry and home of its own: each build registers its own libraries.
            builds.insert(0, ("before", before, sandbox(os.path.join(root, "before"))))
        if "startup" in parts:
            startup(builds, probe)
        if "big" in parts:
            big_file(bin_dir, env, files)
        for part in parts:
            if part.startswith("many"):  # "many" or "many:COUNT"
                many_files(builds, files, probe, int(part.partition(":")[2] or 1000))


def startup(builds, probe, rounds=7):
    """Process start to the encrypt dialog visible, the same start with no dialog (log server, help,
    registration, parsing), and Shredwell's start to its window visible (left with Escape, which erases
    nothing), each build once per round in turn, so that every build sees the same load."""
    for _, bin_dir, env in builds:
        # The first start registers the suite's classes; not counted.
        process, window, _ = start_dialog(bin_dir, env, ["/e", probe])
        xdotool(env, "key", "Escape")
        process.wait(timeout=30)
    ready = {label: [] for label, _, _ in builds}
    bare = {label: [] for label, _, _ in builds}
    eraser = {label: [] for label, _, _ in builds}
    loads = []
    for _ in range(rounds):
        for label, bin_dir, env in builds:
            loads.append(os.getloadavg()[0])
            process, window, seconds = start_dialog(bin_dir, env, ["/e", probe])
            ready[label].append(seconds)
            xdotool(env, "key", "Escape")
            process.wait(timeout=30)
            started = time.monotonic()
            subprocess.run([os.path.join(bin_dir, "Sealdesk.exe")], env=env, timeout=30)
            bare[label].append(time.monotonic() - started)
            process, window, seconds = start_dialog(bin_dir, env, [probe], "Shredwell.exe", "Shredwell")
            eraser[label].append(seconds)
            xdotool(env, "windowfocus", "--sync", window)
            xdotool(env, "key", "Escape")
            process.wait(timeout=30)
    print(f"start-up, {rounds} rounds (load {min(loads):.1f} to {max(loads):.1f}):")
    for label, _, _ in builds:
        print(f"  {label}: to the encrypt dialog visible: median {statistics.median(ready[label]) * 1000:.0f} ms "
              f"(min {min(ready[label]) * 1000:.0f}); the same start without a dialog (log server, help, "
              f"registration, parsing): median {statistics.median(bare[label]) * 1000:.0f} ms; Shredwell to "
              f"its window visible: median {statistics.median(eraser[label]) * 1000:.0f} ms "
              f"(min {min(eraser[label]) * 1000:.0f})", flush=True)


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

def run_measured(process_args, env, plug_in, twice, title):
    """Starts Sealdesk, confirms its dialog, and returns (seconds from process start to exit, seconds from
    Return to exit, peak resident memory of the program in MB, the probe of its progress window)."""
    watch = WindowWatch(env)
    started = time.monotonic()
    process = subprocess.Popen(process_args, env=env)
    window = watch.wait(process=process)
    probe = WindowProbe(env["DISPLAY"], title)
    probe.start()
    xdotool(env, "windowfocus", "--sync", window)
    pick_method(env, plug_in, twice)
    # The driver types at once: its own pace is no part of the program's time.
    xdotool(env, "type", "--delay", "1", PASSWORD)
    if twice:
        xdotool(env, "key", "Tab")
        xdotool(env, "type", "--delay", "1", PASSWORD)
    pressed = time.monotonic()
    xdotool(env, "key", "Return")
    _, _, usage = os.wait4(process.pid, 0)
    process.returncode = 0
    ended = time.monotonic()
    probe.stop()
    return ended - started, ended - pressed, usage.ru_maxrss / 1024, probe


def fill(folder, count, size):
    os.makedirs(folder)
    per_folder = 1000
    for i in range(count):
        sub = os.path.join(folder, f"d{i // per_folder:02}") if count > per_folder else folder
        os.makedirs(sub, exist_ok=True)
        with open(os.path.join(sub, f"file{i:05}.txt"), "wb") as f:
            f.write(os.urandom(size))


def containers(folder, suffix):
    """How many files end in suffix, and the set of their sizes (one size per method for 1 KB files)."""
    sizes = [os.path.getsize(os.path.join(at, name)) for at, _, names in os.walk(folder)
             for name in names if name.endswith(suffix)]
    return len(sizes), set(sizes)


def window_figures(probe):
    if not probe.found:
        return "progress window not seen"
    frozen = " FROZEN" if probe.longest > 0.2 else ""
    return (f"window answered {probe.answers}/{probe.pings} pings, longest wait {probe.longest * 1000:.0f} ms"
            f"{frozen}, {len(probe.pictures)} pictures")


def many_files(builds, files, probe_file, count=1000):
    """count files of 1 KB through "Sealdesk /e" on their folder and back through "Sealdesk /d" on it,
    process start to exit, for each method and build, next to ccrypt -r on the same kind of folder in the
    same run."""
    for _, bin_dir, env in builds:
        # The first start registers the suite's classes; not counted.
        process, window, _ = start_dialog(bin_dir, env, ["/e", probe_file])
        xdotool(env, "key", "Escape")
        process.wait(timeout=30)
    print(f"{count:,} files of 1 KB (load {os.getloadavg()[0]:.1f})", flush=True)
    results = {}
    for plug_in in ("Argonbox", "Blockrune", "Ageseal"):
        for label, bin_dir, env in builds:
            if not os.path.exists(os.path.join(bin_dir, "Encryption", plug_in + ".dll")):
                continue
            exe = os.path.join(bin_dir, "Sealdesk.exe")
            folder = os.path.join(files, f"many-{plug_in}-{count}")
            fill(folder, count, 1024)
            os.sync()
            for verb, title in (("/e", "Velmora Sealdesk - Encrypting"), ("/d", "Velmora Sealdesk - Decrypting")):
                load = os.getloadavg()[0]
                seconds, run, peak, probe = run_measured([exe, verb, folder], env, plug_in, verb == "/e", title)
                if verb == "/e":
                    done, sizes = containers(folder, ".zqf")
                    outcome = f"{done} encrypted (containers of {sorted(sizes)} bytes)"
                else:
                    done = count - containers(folder, ".zqf")[0]
                    outcome = f"{done} decrypted"
                print(f"  {plug_in} {verb} ({label}, load {load:.1f}): {seconds:.2f} s, {count / seconds:.0f} "
                      f"files/s (Return to exit {run:.2f} s, {count / run:.0f} files/s), peak {peak:.0f} MB, "
                      f"{outcome}; {window_figures(probe)}", flush=True)
                results[(plug_in, verb, label)] = seconds
                os.sync()
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
        print(f"  ccrypt -r (load {os.getloadavg()[0]:.1f}): -e {encrypt:.2f} s ({count / encrypt:.0f} files/s), "
              f"-d {decrypt:.2f} s ({count / decrypt:.0f} files/s)")
        for (plug_in, verb, label), seconds in results.items():
            print(f"  ratio {plug_in} {verb} ({label}) / ccrypt: "
                  f"{seconds / (encrypt if verb == '/e' else decrypt):.1f}")


if __name__ == "__main__":
    main()
