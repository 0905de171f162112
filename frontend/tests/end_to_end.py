#!/usr/bin/env python3
"""Sealdesk.exe in a real X server: files and a folder encrypted through the dialog a user types into,
then decrypted back byte for byte; runs killed at random moments, after which every name still tells the
truth about its contents. Run on an X display of its own (testsupport/src/private_display.py); every wait
is bounded."""
import os
import random
import signal
import subprocess
import sys
import tempfile
import time

PASSWORD = "correct horse"
CAPTION = "^Velmora Sealdesk$"


def sandbox(root):
    env = dict(os.environ)
    for name, sub in (("HOME", "home"), ("XDG_DATA_HOME", "data"), ("XDG_CONFIG_HOME", "config"),
                      ("XDG_CACHE_HOME", "cache"), ("XDG_RUNTIME_DIR", "runtime"), ("TMPDIR", "tmp"),
                      ("VELMORA_DRIVE_C", "drive_c")):
        path = os.path.join(root, sub)
        os.makedirs(path, mode=0o700, exist_ok=True)
        env[name] = path
    env["VELMORA_REGISTRY"] = os.path.join(root, "registry.db")
    # The window must open on the X server the driver searches, whatever platform the caller's
    # environment names.
    for name in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY"):
        env.pop(name, None)
    # No session bus: one autolaunched through the X server (dbus-x11) breaks the next program's X
    # connection, and these runs need none.
    env["DBUS_SESSION_BUS_ADDRESS"] = "disabled:"
    return env


def xdotool(env, *args, timeout=30):
    return subprocess.run(["xdotool", *args], env=env, check=True, timeout=timeout, capture_output=True,
                          text=True).stdout


def run_dialog(program, env, arguments, typed):
    """Starts the program, waits for its dialog, types into it and waits for the program to end."""
    process = subprocess.Popen([program, *arguments], env=env)
    try:
        window = window_of(process, env)
        xdotool(env, "windowfocus", "--sync", window)
        # Typed as a keyboard types, into the window that has the focus. Aimed at the window instead
        # ("--window"), xdotool sends a key's release as a plain event once the window has lost the focus,
        # which Return does by ending the dialog: the server then holds the key down and repeats it into
        # whatever window comes next.
        for kind, value in typed:
            if kind == "type":
                xdotool(env, "type", "--delay", "5", value)
            else:
                xdotool(env, "key", value)
        return process.wait(timeout=60)
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()


def window_of(process, env):
    """The dialog of that very process (two runs show the same caption). A search fails outright when a
    window it walks goes away meanwhile (the servers' windows come and go): it is simply looked for again."""
    deadline = time.monotonic() + 30
    while True:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(process.pid), "--name",
                                CAPTION], env=env, capture_output=True, text=True, timeout=30).stdout.split()
        if found:
            return found[0]
        assert time.monotonic() < deadline and process.poll() is None, "no dialog"
        time.sleep(0.05)


def start_typed(program, env, arguments, typed):
    """Starts the program in a session of its own, types into its dialog and returns the process at once."""
    process = subprocess.Popen([program, *arguments], env=env, start_new_session=True)
    window = window_of(process, env)
    xdotool(env, "windowfocus", "--sync", window)
    # Into the focused window, as run_dialog types: aimed at the window, Return's release would go astray
    # once the dialog closes, and the key repeated into the next run's dialog would close it unseen.
    for kind, value in typed:
        xdotool(env, kind, *(["--delay", "5"] if kind == "type" else []), value)
    return process


def end(process, kill):
    """Kills the process and the servers it started (its session), or waits for it to end by itself."""
    try:
        if kill:
            os.killpg(process.pid, signal.SIGKILL)
        return process.wait(timeout=60)
    finally:
        try:
            os.killpg(process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass


def names_tell_the_truth(folder, originals):
    """A plain name holds exactly its plain bytes; a ".zqf" name never holds them (whole or begun)."""
    for name, data in originals.items():
        plain = os.path.join(folder, name)
        if os.path.exists(plain):
            with open(plain, "rb") as f:
                assert f.read() == data, f"{name}: the plain name holds something else"
        encrypted = plain + ".zqf"
        if os.path.exists(encrypted):
            with open(encrypted, "rb") as f:
                contents = f.read()
            assert data[:64] not in contents, f"{name}.zqf holds plain contents"
        assert os.path.exists(plain) or os.path.exists(encrypted), f"{name} is gone under both names"


ENCRYPT_KEYS = [("type", PASSWORD), ("key", "Tab"), ("type", PASSWORD), ("key", "Return")]
DECRYPT_KEYS = [("type", PASSWORD), ("key", "Return")]


def killed_runs(program, env, root):
    folder = os.path.join(root, "races")
    os.makedirs(folder)
    originals = {f"big{i}.bin": os.urandom(12 << 20) for i in range(2)}
    for name, data in originals.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    rng = random.Random()
    # Killed at a random moment of an encrypt or a decrypt.
    for round_ in range(4):
        encrypting = round_ % 2 == 0
        suffix = "" if encrypting else ".zqf"
        targets = [os.path.join(folder, name + suffix) for name in originals
                   if os.path.exists(os.path.join(folder, name + suffix))
                   and not os.path.exists(os.path.join(folder, name + (".zqf" if encrypting else "")))]
        if not targets:
            continue
        process = start_typed(program, env, ["/e" if encrypting else "/d", *targets],
                              ENCRYPT_KEYS if encrypting else DECRYPT_KEYS)
        time.sleep(rng.uniform(0.0, 0.8))
        end(process, kill=True)
        names_tell_the_truth(folder, originals)
    # Back to plain; where a kill left both names, both are right and the plain one stays.
    for name in originals:
        plain, encrypted = os.path.join(folder, name), os.path.join(folder, name + ".zqf")
        if os.path.exists(plain) and os.path.exists(encrypted):
            os.remove(encrypted)
        elif os.path.exists(encrypted):
            status = end(start_typed(program, env, ["/d", encrypted], DECRYPT_KEYS), kill=False)
            assert status == 0, f"decrypting after the kills ended with {status}"
    names_tell_the_truth(folder, originals)
    for name in originals:
        assert os.path.exists(os.path.join(folder, name)), f"{name} did not come back"


def main():
    program = sys.argv[1]
    with tempfile.TemporaryDirectory(prefix="sealdesk-e2e-") as root:
        env = sandbox(root)
        files = os.path.join(root, "files")
        originals = {
            "a.txt": b"first file\n" * 100,
            "with  two blanks.bin": os.urandom(70000),
            os.path.join("folder", "one.txt"): b"one",
            os.path.join("folder", "sub", "two.bin"): os.urandom(4096),
        }
        for name, data in originals.items():
            path = os.path.join(files, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
        arguments = ["/e", os.path.join(files, "a.txt"), os.path.join(files, "with  two blanks.bin"),
                     os.path.join(files, "folder")]
        status = run_dialog(program, env, arguments,
                            [("type", PASSWORD), ("key", "Tab"), ("type", PASSWORD), ("key", "Return")])
        assert status == 0, f"encrypting ended with {status}"
        for name, data in originals.items():
            path = os.path.join(files, name)
            assert not os.path.exists(path), f"{name} was not renamed"
            with open(path + ".zqf", "rb") as f:
                assert f.read() != data, f"{name} was not encrypted"

        encrypted = [os.path.join(files, name + ".zqf") for name in originals]
        status = run_dialog(program, env, ["/d", *encrypted], [("type", PASSWORD), ("key", "Return")])
        assert status == 0, f"decrypting ended with {status}"
        for name, data in originals.items():
            with open(os.path.join(files, name), "rb") as f:
                assert f.read() == data, f"{name} did not come back as it was"
            assert not os.path.exists(os.path.join(files, name + ".zqf"))
        killed_runs(program, env, root)
    print("encrypted and restored", len(originals), "files; killed runs left every name true")
    with tempfile.TemporaryDirectory(prefix="sealdesk-e2e-") as root:
        outlives_its_log_server(program, sandbox(root), root)


def children(parent, name):
    """Process ids of the running children of parent whose program file is called name."""
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
            if int(fields[1]) == parent and os.path.basename(os.readlink(f"/proc/{pid}/exe")) == name:
                found.append(int(pid))
        except (OSError, IndexError, ValueError):
            pass
    return found


def outlives_its_log_server(program, env, root):
    """The log server killed under the running dialog: the next error is logged on standard error and
    the program goes on to its normal end."""
    plain = os.path.join(root, "taken.txt")
    for path in (plain, plain + ".zqf"):  # the encrypted name is taken: an error to log
        with open(path, "wb") as f:
            f.write(b"keep")
    process = subprocess.Popen([program, "/e", plain], env=env, stderr=subprocess.PIPE, text=True)
    try:
        window = window_of(process, env)
        servers = children(process.pid, "Tracebook.exe")
        assert len(servers) == 1, f"log servers: {servers}"
        # Started as the program started, and the very one its dialog's progress object lives in.
        progress = children(process.pid, "Gaugebox.exe")
        assert len(progress) == 1, f"progress servers: {progress}"
        os.kill(servers[0], 9)
        xdotool(env, "windowfocus", "--sync", window)
        # Into the focused window, as run_dialog types.
        xdotool(env, "type", "--delay", "5", PASSWORD)
        xdotool(env, "key", "Tab")
        xdotool(env, "type", "--delay", "5", PASSWORD)
        xdotool(env, "key", "Return")
        _, said = process.communicate(timeout=60)
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()
    assert process.returncode == 0, f"ended with {process.returncode}: {said}"
    assert "File already exists" in said and "not logged" in said, said
    for path in (plain, plain + ".zqf"):
        with open(path, "rb") as f:
            assert f.read() == b"keep", f"{path} changed"
    print("went on without its log server")


if __name__ == "__main__":
    main()
