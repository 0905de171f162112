#!/usr/bin/env python3
"""Sealdesk.exe in a real X server, killed with SIGKILL at random moments of a folder run: every file must
be its old contents under its old name or its whole new contents under its new name, never empty, partial
or missing; then "/d" on the folder brings every file back. A traced run checks that each result is flushed
before its name appears and that the folder is flushed before the program ends.
Run under xvfb-run -a; every wait is bounded. usage: crash_safety.py Sealdesk.exe [rounds]"""
import os
import random
import re
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from end_to_end import CAPTION, PASSWORD, sandbox, xdotool  # noqa: E402

FILES = 1000
SIZE = 1024
SEALED_SIZE = 64 + SIZE + 17  # an Argonbox container of one short chunk


def make_tree(root, count):
    originals = {}
    for i in range(count):
        name = os.path.join(f"sub{i % 3}" if i % 2 else "", f"file {i:04}.txt")
        data = os.urandom(SIZE)
        path = os.path.join(root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        originals[name] = data
    return originals


def argonbox_position(program):
    """Where the dialogs list Argonbox: the plug-ins come in the order of their file names."""
    folder = os.path.join(os.path.dirname(program), "Encryption")
    return sorted(n for n in os.listdir(folder) if n.endswith(".dll")).index("Argonbox.dll")


def start(program, env, arguments, twice, prefix=()):
    """Starts the program in a process group of its own, picks Argonbox and confirms its dialog with the
    password."""
    process = subprocess.Popen([*prefix, program, *arguments], env=env, start_new_session=True)
    window = xdotool(env, "search", "--sync", "--onlyvisible", "--name", CAPTION, timeout=60).split()[0]
    xdotool(env, "windowfocus", "--sync", window)
    downs = ("Down",) * argonbox_position(program)
    if downs:
        # The encrypt dialog's list is behind the password boxes, the decrypt dialog's right after the box.
        xdotool(env, "key", *(("shift+Tab", *downs, "Tab") if twice else ("Tab", *downs, "shift+Tab")))
    xdotool(env, "type", PASSWORD)
    if twice:
        xdotool(env, "key", "Tab")
        xdotool(env, "type", PASSWORD)
    xdotool(env, "key", "Return")
    return process


def end_group(process):
    """Kills what is left of the run: the program's own group (the servers it started outlive it)."""
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    process.wait(timeout=30)


def check_each_file(root, originals, when):
    names = set()
    for folder, _, entries in os.walk(root):
        names.update(os.path.relpath(os.path.join(folder, e), root) for e in entries)
    for name, data in originals.items():
        plain, sealed = name in names, name + ".zqf" in names
        assert plain or sealed, f"{when}: {name} is missing"
        if plain:
            with open(os.path.join(root, name), "rb") as f:
                assert f.read() == data, f"{when}: {name} is not its old contents"
        if sealed:
            size = os.path.getsize(os.path.join(root, name + ".zqf"))
            assert size == SEALED_SIZE, f"{when}: {name}.zqf holds {size} bytes"
        names.discard(name)
        names.discard(name + ".zqf")
    assert not names, f"{when}: left behind {sorted(names)[:5]}"


def killed_runs(program, env, files, rounds):
    # One whole run gives the span over which the kills are spread.
    root = os.path.join(files, "whole")
    originals = make_tree(root, FILES)
    started = time.monotonic()
    process = start(program, env, ["/e", root], True)
    assert process.wait(timeout=120) == 0
    span = time.monotonic() - started
    check_each_file(root, originals, "after a whole run")
    assert not any(os.path.exists(os.path.join(root, n)) for n in originals), "a file stayed plain"
    end_group(process)
    generator = random.Random(os.environ.get("VELMORA_SEED", str(time.time_ns())))
    for round_ in range(rounds):
        root = os.path.join(files, f"round{round_}")
        originals = make_tree(root, FILES)
        process = start(program, env, ["/e", root], True)
        delay = generator.uniform(0, span)
        time.sleep(delay)  # a random moment of the run, not a wait for anything
        end_group(process)
        check_each_file(root, originals, f"killed after {delay:.2f} s")
        process = start(program, env, ["/d", root], False)
        assert process.wait(timeout=120) == 0
        end_group(process)
        for name, data in originals.items():
            with open(os.path.join(root, name), "rb") as f:
                assert f.read() == data, f"{name} did not come back after the kill at {delay:.2f} s"
    return span


def traced_run(program, env, files):
    """Every name change into place comes after a flush of a file in that folder, and the folder itself is
    flushed after its last change and before the program ends."""
    root = os.path.join(files, "traced")
    originals = make_tree(root, 30)
    trace = os.environ.get("VELMORA_TRACE_FILE") or os.path.join(files, "trace.txt")
    strace = ["strace", "-f", "-q", "-y", "-o", trace, "-e",
              "trace=fsync,fdatasync,rename,renameat,renameat2,linkat,unlink,unlinkat,exit_group"]
    process = start(program, env, ["/e", root], True, strace)
    # The servers the program started are traced too and may outlive it: its own end is what counts.
    end = time.monotonic() + 120
    with open(f"/proc/{process.pid}/task/{process.pid}/children") as children:
        program = children.read().split()[0]  # strace's one child

    def program_ended():
        with open(trace) as f:
            return f"{program} +++ exited with 0 +++" in f.read()

    while not program_ended():
        assert time.monotonic() < end, "the traced run did not end"
        time.sleep(0.2)  # polling a file that only grows
    end_group(process)
    check_each_file(root, originals, "after the traced run")
    file_flushed, folder_dirty = set(), set()
    placed = 0
    with open(trace) as lines:
        for line in lines:
            flush = re.search(r"\bf(?:data)?sync\(\d+<([^>]*)>(?:\(deleted\))?\) = 0", line)
            if flush:
                path = flush.group(1)
                if path.rstrip("/") in folder_dirty or os.path.isdir(path):
                    folder_dirty.discard(path.rstrip("/"))
                else:
                    file_flushed.add(os.path.dirname(path))
                continue
            removal = re.match(r'\d+\s+unlink(?:at)?\(.*"([^"]+)"', line)
            if removal and removal.group(1).startswith(root) and line.rstrip().endswith("= 0"):
                folder_dirty.add(os.path.dirname(removal.group(1)))
            move = re.match(r"\d+\s+(rename|renameat2?|linkat)\(.*\) = 0", line)
            quoted = re.findall(r'"([^"]+)"', line)
            if move and len(quoted) >= 2 and quoted[-1].startswith(root):
                source, target = quoted[0], quoted[-1]
                folder = os.path.dirname(target)
                hidden = lambda path: os.path.basename(path).startswith(".")
                # New contents take a visible name from a staging name or an unnamed file: flushed first.
                if not hidden(target) and (hidden(source) or source.startswith("/proc/")):
                    assert folder in file_flushed, f"{target} appeared before any flush: {line}"
                    file_flushed.discard(folder)
                    placed += 1
                folder_dirty.add(folder)
            if "exit_group" in line:
                assert not folder_dirty, f"ended with folders not flushed: {sorted(folder_dirty)}"
    moves = [line for line in open(trace) if re.search(r"rename|link", line)]
    assert placed >= len(originals), f"only {placed} names placed: {moves[:6]}"


def main():
    program = sys.argv[1]
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 6
    with tempfile.TemporaryDirectory(prefix="sealdesk-crash-") as root:
        env = sandbox(root)
        files = os.path.join(root, "files")
        os.makedirs(files)
        span = killed_runs(program, env, files, rounds)
        traced_run(program, env, files)
    print(f"{rounds} runs of {FILES} files killed at random within {span:.1f} s: every file whole")


if __name__ == "__main__":
    main()
