#!/usr/bin/env python3
"""Reads the suite's windows as a screen reader does, through AT-SPI, and fails on a control a user can
focus that has no name, and on a window the keyboard alone cannot complete. The programs run in one
sandbox of their own, on an X server (Xvfb) and a session bus (dbus-run-session) that this script starts.

Usage: accessible_names.py STEP [--- STEP]...
STEP:  CAPTION [--expect TEXT]... [--keys KEY,KEY...] [--stays | --kill] [-- PROGRAM ARGUMENT...]
  CAPTION   the window's exact caption; waited for after PROGRAM (if any) is started
  --expect  a text the window must show (a control's name or a field's text)
  --keys    keys that complete the window once it has been read (default Escape; "none" for none)
  --stays   PROGRAM goes on to a later step's window; it must have ended by the close of the run
  --kill    PROGRAM has no way to end from the keyboard (the progress window); it is ended by the run
  PROGRAM   started in the sandbox; "{sandbox}" in an argument is the sandbox's folder
Otherwise PROGRAM must end once the keys are pressed.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

from private_display import run_on_private_display

BOUND = 60  # seconds for any one wait; a healthy window shows in a second or two, a loaded machine is slower


def private_session():
    """Runs this script again on an X server and a session bus of its own: the windows must never reach the
    user's."""
    if os.environ.get("VELMORA_PRIVATE_BUS") == "1":
        return
    env = dict(os.environ, VELMORA_PRIVATE_BUS="1")
    env.pop("DBUS_SESSION_BUS_ADDRESS", None)
    sys.exit(run_on_private_display(["dbus-run-session", "--", sys.executable, *sys.argv], env))


def sandboxed_environment(root):
    env = dict(os.environ)
    for name in ("HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "TMPDIR",
                 "VELMORA_DRIVE_C"):
        folder = os.path.join(root, name.lower())
        os.makedirs(folder, mode=0o700, exist_ok=True)
        env[name] = folder
    env["VELMORA_REGISTRY"] = os.path.join(root, "registry.db")
    env.pop("QT_QPA_PLATFORM", None)
    # Qt speaks AT-SPI when the desktop's settings ask for it; here the test asks.
    env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
    return env


def parse(arguments):
    steps = []
    for group in split(arguments, "---"):
        options, command = (group[:group.index("--")], group[group.index("--") + 1:]) if "--" in group \
            else (group, [])
        step = {"caption": None, "expect": [], "keys": ["Escape"], "stays": False, "kill": False,
                "command": command}
        i = 0
        while i < len(options):
            if options[i] == "--expect":
                step["expect"].append(options[i + 1])
                i += 2
            elif options[i] == "--keys":
                step["keys"] = [k for k in options[i + 1].split(",") if k and k != "none"]
                i += 2
            elif options[i] in ("--stays", "--kill"):
                step[options[i][2:]] = True
                i += 1
            else:
                step["caption"] = options[i]
                i += 1
        steps.append(step)
    return steps


def split(items, separator):
    group = []
    for item in items:
        if item == separator:
            yield group
            group = []
        else:
            group.append(item)
    yield group


def find_window(pyatspi, caption):
    end = time.monotonic() + BOUND
    while time.monotonic() < end:
        for app in pyatspi.Registry.getDesktop(0):
            try:
                for window in app or []:
                    if window is not None and window.name == caption and \
                            window.getState().contains(pyatspi.STATE_SHOWING):
                        return window
            except Exception:  # an application that went away while it was read
                continue
        time.sleep(0.1)
    return None


def read_tree(pyatspi, node, path, found):
    """Every node under node: the roles leading to it, its name, its text, whether a user can focus it."""
    try:
        state = node.getState()
        here = f"{path}/{node.getRoleName()}"
        name = node.name or ""
    except Exception:
        return
    try:
        text = node.queryText().getText(0, -1)
    except Exception:
        text = ""
    focusable = state.contains(pyatspi.STATE_FOCUSABLE) and state.contains(pyatspi.STATE_SHOWING) and \
        state.contains(pyatspi.STATE_ENABLED)
    found.append({"path": here, "name": name, "text": text, "focusable": focusable})
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            read_tree(pyatspi, child, here, found)


def read_window(pyatspi, step):
    window = find_window(pyatspi, step["caption"])
    if window is None:
        return [f"{step['caption']}: no such window within {BOUND} s"]
    nodes = []
    read_tree(pyatspi, window, "", nodes)
    failures = [f"{step['caption']}: {n['path']} can take the focus but has no name"
                for n in nodes if n["focusable"] and not n["name"].strip()]
    shown = [n["name"] for n in nodes] + [n["text"] for n in nodes]
    failures += [f"{step['caption']}: nothing reads {text!r}"
                 for text in step["expect"] if not any(text in s for s in shown)]
    print(f"{step['caption']}: {sum(1 for n in nodes if n['focusable'])} focusable controls, all read")
    return failures


def press(env, caption, keys, pid):
    """Types keys into the window as a keyboard does, into the focus (see Sealdesk's end-to-end test).
    The window is looked for among the step's own program's where it has one: another test may share
    the X server."""
    if not keys:
        return
    owner = ["--pid", str(pid)] if pid else []
    found = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", *owner, "--name", "^" + caption + "$"],
                           env=env, timeout=BOUND, check=True, capture_output=True, text=True)
    subprocess.run(["xdotool", "windowfocus", "--sync", found.stdout.split()[0]], env=env, timeout=BOUND,
                   check=True, capture_output=True)
    subprocess.run(["xdotool", "key", "--delay", "50", *keys], env=env, timeout=BOUND, check=True,
                   capture_output=True)


def run(pyatspi, steps, root):
    env = sandboxed_environment(root)
    failures, started = [], []

    def wait_for(step, process):
        try:
            process.wait(timeout=BOUND)
        except subprocess.TimeoutExpired:
            failures.append(f"{step['caption']}: {os.path.basename(step['command'][0])} did not end after "
                            f"{','.join(step['keys']) or 'no keys'}")

    try:
        for step in steps:
            process = None
            if step["command"]:
                command = [a.replace("{sandbox}", root) for a in step["command"]]
                process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL)
                started.append((step, process))
            step_failures = read_window(pyatspi, step)
            if step_failures and process is not None and process.poll() is not None:
                step_failures.append(f"{step['caption']}: {os.path.basename(step['command'][0])} ended with "
                                     f"{process.returncode} before its window was read")
            failures += step_failures
            if step_failures:
                break
            press(env, step["caption"], step["keys"], process.pid if process is not None else None)
            if process is not None and not step["stays"] and not step["kill"]:
                wait_for(step, process)
        for step, process in started:
            if step["stays"]:
                wait_for(step, process)
    finally:
        for _, process in started:
            if process.poll() is None:
                process.kill()
                process.wait()
    return failures


def main():
    private_session()
    import pyatspi  # imported on the private bus only
    steps = parse(sys.argv[1:])
    if not steps or any(step["caption"] is None for step in steps):
        print(__doc__, file=sys.stderr)
        return 2
    root = tempfile.mkdtemp(prefix="velmora-a11y-")
    try:
        failures = run(pyatspi, steps, root)
    finally:
        shutil.rmtree(root, ignore_errors=True)
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
