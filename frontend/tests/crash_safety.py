#!/usr/bin/env python3
"""Sealdesk.exe in a real X server, killed with SIGKILL at random moments of folder runs both ways: every
file must be its old contents under its old name or its whole new contents under its new name (both names
at once, each true, for a moment), never empty, partial or missing, and nothing else left; then "/d" on the
folders brings every file back. Traced runs check that each result is flushed before its name appears and
that every folder is flushed after its last change and before the program ends.

usage: crash_safety.py Sealdesk.exe [ROUNDS [FILES]]   (defaults: 3 rounds of 200 files, for CI; each round
kills an encrypting run and then a decrypting one). Run on an X server and a session bus of its own:
testsupport/src/private_display.py dbus-run-session -- crash_safety.py ...  Every wait is bounded.
VELMORA_SEED repeats a run's kill moments."""
import os
import random
import re
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from end_to_end import PASSWORD, sandbox, window_of, xdotool  # noqa: E402

SIZE = 1024
SEALED_SIZE = 64 + SIZE + 17  # an Argonbox container of one short chunk
BOUND = 240  # seconds for one whole run on a loaded machine


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


def start(program, env, verb, folders, prefix=()):
    """Starts the program in a process group of its own, picks Argonbox and confirms its dialog with the
    password; returns the process once Return is typed."""
    process = subprocess.Popen([*prefix, program, verb, *folders], env=env, start_new_session=True)
    window = window_of(process, env)
    xdotool(env, "windowfocus", "--sync", window)
    twice = verb == "/e"
    # Argonbox is the one method whose name starts with X, which the list finds as it is typed. The
    # encrypt dialog's list comes two before the first password box in the tab order (the items list
    # between), the decrypt dialog's right after its box.
    back, forth = ("shift+Tab", "shift+Tab"), ("Tab", "Tab")
    xdotool(env, "key", *((*back, "X", *forth) if twice else ("Tab", "X", "shift+Tab")))
    # Typed into the focused window (see end_to_end.run_dialog for why not aimed at it).
    xdotool(env, "type", "--delay", "5", PASSWORD)
    if twice:
        xdotool(env, "key", "Tab")
        xdotool(env, "type", "--delay", "5", PASSWORD)
    xdotool(env, "key", "Return")
    return process


def end_group(process, kill=True):
    """Kills the program's whole group (the servers it started would outlive it), or first waits for the
    program to end by itself; returns its exit status."""
    try:
        if kill:
            os.killpg(process.pid, signal.SIGKILL)
        return process.wait(timeout=BOUND)
    finally:
        try:
            os.killpg(process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass


def check_each_file(root, originals, when):
    """Each file's old or new contents under the matching name, and no other entry. Returns how many files
    are plain, encrypted, and under both names."""
    names = set()
    states = [0, 0, 0]
    for folder, _, entries in os.walk(root):
        names.update(os.path.relpath(os.path.join(folder, e), root) for e in entries)
    for name, data in originals.items():
        plain, sealed = name in names, name + ".zqf" in names
        assert plain or sealed, f"{when}: {name} is missing"
        if plain:
            with open(os.path.join(root, name), "rb") as f:
                assert f.read() == data, f"{when}: {name} is not its old contents"
        if sealed:
            with open(os.path.join(root, name + ".zqf"), "rb") as f:
                sealed_data = f.read()
            assert len(sealed_data) == SEALED_SIZE, f"{when}: {name}.zqf holds {len(sealed_data)} bytes"
            assert data[:64] not in sealed_data, f"{when}: {name}.zqf holds plain contents"
        states[2 if plain and sealed else 1 if sealed else 0] += 1
        names.discard(name)
        names.discard(name + ".zqf")
    assert not names, f"{when}: left behind {sorted(names)[:5]}"
    return states


def killed_runs(program, env, files, rounds, count, generator):
    """One whole run gives the span over which the kills are spread; each round kills an encrypting run of
    a new tree, then a decrypting run of what it left. Returns the trees and the span."""
    trees = []
    root = os.path.join(files, "whole")
    trees.append((root, make_tree(root, count)))
    process = start(program, env, "/e", [root])
    started = time.monotonic()
    assert end_group(process, kill=False) == 0
    span = time.monotonic() - started
    check_each_file(root, trees[0][1], "after a whole run")
    assert not any(os.path.exists(os.path.join(root, n)) for n in trees[0][1]), "a file stayed plain"
    for round_ in range(rounds):
        root = os.path.join(files, f"round{round_}")
        originals = make_tree(root, count)
        trees.append((root, originals))
        for verb in ("/e", "/d"):
            process = start(program, env, verb, [root])
            delay = generator.uniform(0, span)
            time.sleep(delay)  # a random moment of the run, not a wait for anything
            end_group(process)
            when = f"{verb} killed {delay:.2f} s after Return"
            plain, sealed, both = check_each_file(root, originals, when)
            print(f"{when}: {plain} plain, {sealed} encrypted, {both} under both names", flush=True)
    return trees, span


def restored(program, env, trees):
    """"/d" on every folder at once: each file back under its plain name. Where a kill left both names,
    the plain one stands and its ".zqf" copy stays (its name is taken), as a re-run leaves it."""
    assert end_group(start(program, env, "/d", [root for root, _ in trees]), kill=False) == 0
    for root, originals in trees:
        for name, data in originals.items():
            with open(os.path.join(root, name), "rb") as f:
                assert f.read() == data, f"{name} of {root} did not come back"
        check_each_file(root, originals, "after decrypting")


def traced_run(program, env, files, verb, root, originals):
    """Every name a result takes comes after a flush of a file in that folder, and each folder is flushed
    after its last change and before the program ends."""
    trace = os.path.join(files, f"trace{verb.replace('/', '-')}.txt")
    # Stopped at the traced calls only (seccomp), not at every call: a run costs a little more, not ten times.
    strace = ["strace", "-f", "--seccomp-bpf", "-q", "-y", "-o", trace, "-e",
              "trace=fsync,fdatasync,rename,renameat,renameat2,linkat,unlink,unlinkat"]
    process = start(program, env, verb, [root], strace)
    # The servers the program started are traced too and may outlive it: its own end is what counts.
    end = time.monotonic() + BOUND
    with open(f"/proc/{process.pid}/task/{process.pid}/children") as children:
        traced = children.read().split()[0]  # strace's one child
    # strace pads the process id to five places: "123  +++ exited with 0 +++".
    ending = re.compile(rf"^{traced}\s+\+\+\+ (exited with \d+|killed by .*) \+\+\+$", re.MULTILINE)

    def program_ended():
        with open(trace) as f:
            found = ending.search(f.read())
        return found and found.group(1)

    while not (ended := program_ended()):
        assert time.monotonic() < end, "the traced run did not end"
        time.sleep(0.2)  # polling a file that only grows
    assert ended == "exited with 0", f"the traced run {ended}"
    end_group(process)
    check_each_file(root, originals, f"after the traced {verb} run")
    placed = check_trace(trace, root, ending, verb)
    moves = [line for line in open(trace) if re.search(r"rename|link", line)]
    assert placed >= len(originals), f"only {placed} names placed: {moves[:6]}"


def whole_calls(lines):
    """Each call of the trace as (where it began, where it ended, its line). strace splits a call that
    another thread's output interrupts into "<unfinished ...>" and "<... NAME resumed>" lines; a call on
    one line began after every line before it."""
    unfinished = {}
    for index, line in enumerate(lines):
        started = re.match(r"(\d+)\s+(.*) <unfinished \.\.\.>$", line.rstrip())
        if started:
            unfinished[started.group(1)] = (index, line.rstrip()[: -len(" <unfinished ...>")])
            continue
        resumed = re.match(r"(\d+)\s+<\.\.\. \w+ resumed>(.*)$", line.rstrip())
        if resumed and resumed.group(1) in unfinished:
            begun, head = unfinished.pop(resumed.group(1))
            # The result column is padded after a short "resumed" line.
            yield begun, index, head + re.sub(r"^\)\s+=", ") =", resumed.group(2)) + "\n"
        else:
            yield index, index, line


def check_trace(trace, root, ending, verb):
    """Reads the trace of a run: what each name a result takes waited for; returns how many took one.
    A folder's flush makes the names given in it last only if it began after they were given, on
    whichever thread."""
    flushed = set()  # (thread, descriptor, folder) of flushed files
    changed, flush_begun = {}, {}  # by folder: where its last change ended, where its latest flush began
    named, standing = {}, set()  # by folder: (where, name) given and not flushed yet; names on disk
    placed = 0
    with open(trace) as lines:
        for begun, ended, line in whole_calls(lines):
            thread = line.split(maxsplit=1)[0]
            flush = re.search(r"\bf(?:data)?sync\((\d+)<([^>]*)>(?:\(deleted\))?\) = 0", line)
            if flush:
                descriptor, path = flush.groups()
                folder = path.rstrip("/")
                if folder in changed or os.path.isdir(path):
                    flush_begun[folder] = max(flush_begun.get(folder, -1), begun)
                    lasting = {name for at, name in named.get(folder, ()) if at < begun}
                    standing |= lasting
                    named[folder] = [(at, name) for at, name in named.get(folder, ()) if name not in lasting]
                else:
                    flushed.add((thread, descriptor, os.path.dirname(path)))
                continue
            removal = re.match(r'\d+\s+unlink(?:at)?\(.*"([^"]+)"', line)
            if removal and removal.group(1).startswith(root) and line.rstrip().endswith("= 0"):
                removed = removal.group(1)
                changed[os.path.dirname(removed)] = ended
                # An old name goes only once its file's result stands on disk under the new one.
                if not os.path.basename(removed).startswith("."):
                    result = removed + ".zqf" if verb == "/e" else removed[: -len(".zqf")]
                    assert result in standing, f"{removed} went before {result} was on disk: {line}"
            move = re.match(r"\d+\s+(rename|renameat2?|linkat)\(.*\) = 0", line)
            quoted = re.findall(r'"([^"]+)"', line)
            if move and len(quoted) >= 2 and quoted[-1].startswith(root):
                source, target = quoted[0], quoted[-1]
                folder = os.path.dirname(target)
                unnamed = re.fullmatch(r"/proc/self/fd/(\d+)", source)
                # New contents take a visible name from an unnamed file (that very descriptor flushed
                # first) or from a hidden staging name (a file of the folder flushed first).
                if unnamed:
                    written = (thread, unnamed.group(1), folder)
                    assert written in flushed, f"{target} appeared before its contents were flushed: {line}"
                    flushed.discard(written)
                    placed += 1
                elif os.path.basename(source).startswith(".") and not os.path.basename(target).startswith("."):
                    written = next((f for f in flushed if f[0] == thread and f[2] == folder), None)
                    assert written, f"{target} appeared before its contents were flushed: {line}"
                    flushed.discard(written)
                    placed += 1
                changed[folder] = ended
                named.setdefault(folder, []).append((ended, target))
            if ending.match(line):
                unflushed = [f for f, at in changed.items() if flush_begun.get(f, -1) <= at]
                assert not unflushed, f"ended with folders not flushed: {sorted(unflushed)}"
    return placed


def main():
    program = sys.argv[1]
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 200
    seed = os.environ.get("VELMORA_SEED", str(time.time_ns()))
    print(f"VELMORA_SEED={seed}", flush=True)
    with tempfile.TemporaryDirectory(prefix="sealdesk-crash-") as root:
        env = sandbox(root)
        files = os.path.join(root, "files")
        os.makedirs(files)
        trees, span = killed_runs(program, env, files, rounds, count, random.Random(seed))
        restored(program, env, trees)
        traced = os.path.join(files, "traced")
        originals = make_tree(traced, 30)
        traced_run(program, env, files, "/e", traced, originals)
        traced_run(program, env, files, "/d", traced, originals)
    print(f"{2 * rounds} runs of {count} files killed at random within {span:.1f} s: every file whole")


if __name__ == "__main__":
    main()
