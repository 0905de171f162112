#!/usr/bin/env python3
"""Sealdesk.exe in a real X server: files and a folder encrypted through the dialog a user types into,
then decrypted back byte for byte. Run under xvfb-run -a; every wait is bounded."""
import os
import subprocess
import sys
import tempfile

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
    env.pop("QT_QPA_PLATFORM", None)
    return env


def xdotool(env, *args, timeout=30):
    return subprocess.run(["xdotool", *args], env=env, check=True, timeout=timeout, capture_output=True,
                          text=True).stdout


def run_dialog(program, env, arguments, typed):
    """Starts the program, waits for its dialog, types into it and waits for the program to end."""
    process = subprocess.Popen([program, *arguments], env=env)
    try:
        window = xdotool(env, "search", "--sync", "--onlyvisible", "--name", CAPTION).split()[0]
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
    print("encrypted and restored", len(originals), "files")


if __name__ == "__main__":
    main()
