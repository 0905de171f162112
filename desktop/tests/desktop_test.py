#!/usr/bin/env python3
"""The suite on the desktop, asked through the desktop's own tools in a sandbox of its own.

Installs the built tree into a scratch prefix (with blanks and quotes in its name), then asks xdg-mime, gio
and desktop-file-validate; the programs are recording stand-ins placed by the test, which show exactly the
arguments a file manager's launch hands them. Nothing is built here.
"""
import argparse
import json
import os
import shlex
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import velmora_desktop as vd  # noqa: E402

OPTIONS = None
TYPE = "application/x-velmora-encrypted"

# A stand-in program: writes its arguments, NUL-separated, into the file VELMORA_TEST_RECORD names.
RECORDER = """#!/bin/sh
out=$VELMORA_TEST_RECORD
for a do printf '%s\\0' "$a"; done > "$out.part"
mv "$out.part" "$out"
"""

# Names a file manager may hand over: blanks, both quotes, a line break, a byte that is not UTF-8.
ODD_NAMES = [b"plain.zqf", b"with blank.zqf", b"quote\"and'apostrophe.zqf", b"line\nbreak.zqf",
             b"latin1 \xe9t\xe9.zqf", b"$HOME `x` %F.zqf"]


class Sandbox:
    def __init__(self):
        self.root = tempfile.mkdtemp(prefix="velmora-desktop-")
        home = os.path.join(self.root, "home")
        self.data_home = os.path.join(home, ".local", "share")
        self.config_home = os.path.join(home, ".config")
        os.makedirs(os.path.join(self.root, "tmp"))
        self.record = os.path.join(self.root, "record")
        self.env = {k: v for k, v in os.environ.items()
                    if not k.startswith(("XDG_", "DBUS_", "VELMORA_", "DESKTOP_SESSION", "KDE_", "GNOME_"))}
        self.env.update(HOME=home, XDG_DATA_HOME=self.data_home, XDG_CONFIG_HOME=self.config_home,
                        XDG_DATA_DIRS="/usr/local/share:/usr/share", XDG_CONFIG_DIRS="/etc/xdg",
                        TMPDIR=os.path.join(self.root, "tmp"), GIO_USE_VFS="local",
                        VELMORA_REGISTRY=os.path.join(self.root, "registry.db"),
                        VELMORA_DRIVE_C=os.path.join(self.root, "drive_c"), VELMORA_TEST_RECORD=self.record)

    def close(self):
        if os.environ.get("VELMORA_KEEP_SANDBOX") != "1":
            shutil.rmtree(self.root, ignore_errors=True)

    def run(self, argv, env=None, **kw):
        return subprocess.run(argv, env=env or self.env, capture_output=True, **kw)

    def recorded(self, action):
        """Runs action, then waits for the stand-in's record (a launch may return before it starts)."""
        if os.path.exists(self.record):
            os.remove(self.record)
        action()
        deadline = time.monotonic() + 30
        while not os.path.exists(self.record):
            if time.monotonic() > deadline:
                raise AssertionError("the program was not started")
            time.sleep(0.02)
        with open(self.record, "rb") as f:
            return f.read().split(b"\0")[:-1]


def read_key_file(path):
    """A desktop-style key file: {group: {key: value}}, with the string escapes undone."""
    with open(path, encoding="utf-8") as f:
        return read_key_file_text(f.read())


def read_key_file_text(text):
    groups, group = {}, None
    for line in text.splitlines():
        if line.startswith("["):
            group = groups.setdefault(line.strip("[]"), {})
        elif "=" in line and group is not None:
            key, _, value = line.partition("=")
            out, i = [], 0
            while i < len(value):
                if value[i] == "\\" and i + 1 < len(value):
                    out.append({"s": " ", "n": "\n", "t": "\t", "r": "\r", "\\": "\\"}.get(value[i + 1],
                                                                                   "\\" + value[i + 1]))
                    i += 2
                else:
                    out.append(value[i])
                    i += 1
            group[key.strip()] = "".join(out)
    return groups


def utf8(name):
    try:
        name.decode("utf-8")
        return True
    except UnicodeDecodeError:
        return False


def registry_names(registry, folder):
    """The values in the suite's registry that name a file in folder."""
    if not os.path.exists(registry):
        return []
    import sqlite3
    db = sqlite3.connect(registry)
    try:
        return [(key, name) for key, name, data in db.execute("SELECT key, name, data FROM vals")
                if vd.names_folder(vd.registry_text(data), folder)]
    finally:
        db.close()


def nemo_command(exec_line, paths):
    """What Nemo runs for an action with Quote=single: %F becomes the quoted paths, then shell splitting."""
    quoted = " ".join("'" + os.fsdecode(p).replace("'", "'\\''") + "'" for p in paths)
    out, i = [], 0
    while i < len(exec_line):
        if exec_line.startswith("%F", i):
            out.append(quoted)
            i += 2
        elif exec_line.startswith("%%", i):
            out.append("%")
            i += 2
        else:
            out.append(exec_line[i])
            i += 1
    return [os.fsencode(a) for a in shlex.split("".join(out))]


class MimeAppsTest(unittest.TestCase):
    """The default application is set and restored one line at a time."""

    CASES = [
        # (before, expected while installed)
        ("", "[Default Applications]\napplication/x-velmora-encrypted=velmora-sealdesk.desktop;\n"),
        ("# mine\n[Added Associations]\nimage/png=viewer.desktop;\n",
         "# mine\n[Added Associations]\nimage/png=viewer.desktop;\n\n[Default Applications]\n"
         "application/x-velmora-encrypted=velmora-sealdesk.desktop;\n"),
        ("[Default Applications]\ntext/plain=editor.desktop;\n\n[Added Associations]\nx/y=z.desktop;\n",
         "[Default Applications]\ntext/plain=editor.desktop;\n"
         "application/x-velmora-encrypted=velmora-sealdesk.desktop;\n\n[Added Associations]\nx/y=z.desktop;\n"),
        ("[Default Applications]\napplication/x-velmora-encrypted=other.desktop;\ntext/plain=e.desktop;\n",
         "[Default Applications]\napplication/x-velmora-encrypted=velmora-sealdesk.desktop;\n"
         "text/plain=e.desktop;\n"),
    ]

    def test_set_then_restore_gives_back_every_other_line(self):
        for before, during in self.CASES:
            with self.subTest(before=before), tempfile.TemporaryDirectory() as config:
                path = os.path.join(config, "mimeapps.list")
                if before:
                    with open(path, "w") as f:
                        f.write(before)
                record = vd.set_default_application(config, None)
                with open(path) as f:
                    self.assertEqual(f.read(), during)
                # A second install over the first keeps what the user had before the first.
                self.assertEqual(vd.set_default_application(config, record), record)
                vd.restore_default_application(record)
                after = ""
                if os.path.exists(path):
                    with open(path) as f:
                        after = f.read()
                self.assertEqual(after, before)

    def test_a_default_the_user_chose_since_stays(self):
        with tempfile.TemporaryDirectory() as config:
            record = vd.set_default_application(config, None)
            apps = vd.MimeApps(record["file"])
            apps.set(TYPE, "chosen.desktop;")
            apps.save()
            vd.restore_default_application(record)
            self.assertEqual(vd.MimeApps(record["file"]).get(TYPE), "chosen.desktop;")


class GeneratedFilesTest(unittest.TestCase):
    """The files are right for a prefix with every character a desktop entry has to escape."""

    NAME = "velmora test/it's \"quoted\" $HOME `x` \\back"

    def setUp(self):
        self.box = Sandbox()
        self.out = os.path.join(self.box.root, "stage")
        self.PREFIX = os.path.join(self.box.root, self.NAME)
        self.files = vd.share_files(self.PREFIX, None)
        for rel, (content, mode) in self.files.items():
            vd.write_file(os.path.join(self.out, rel), content, mode)

    def tearDown(self):
        self.box.close()

    def test_desktop_entries_validate_and_name_the_launchers(self):
        for name in ("velmora-sealdesk.desktop", "velmora-shredwell.desktop"):
            path = os.path.join(self.out, "share", "applications", name)
            result = subprocess.run(["desktop-file-validate", path], capture_output=True, text=True)
            self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
            self.assertEqual(result.stdout, "")
        entry = read_key_file(os.path.join(self.out, "share", "applications", "velmora-sealdesk.desktop"))
        self.assertEqual(entry["Desktop Entry"]["MimeType"], TYPE + ";")
        for group, switch in (("Desktop Entry", "/v"), ("Desktop Action decrypt-here", "/d"),
                              ("Desktop Action encrypt", "/e")):
            exec_line = entry[group]["Exec"]
            self.assertTrue(exec_line.endswith(f" {switch} %F"), exec_line)

        # GLib reads the quoted launcher back as one word: the launch reaches a stand-in placed there.
        for name, expected in (("velmora-sealdesk.desktop", [b"/v"]), ("velmora-shredwell.desktop", [])):
            launcher = os.path.join(self.PREFIX, "bin", "sealdesk" if "seal" in name else "shredwell")
            os.makedirs(os.path.dirname(launcher), exist_ok=True)
            with open(launcher, "w") as f:
                f.write(RECORDER)
            os.chmod(launcher, 0o755)
            entry_path = os.path.join(self.out, "share", "applications", name)
            argv = self.box.recorded(lambda: self.box.run(["gio", "launch", entry_path, "/tmp/a b"], check=True))
            self.assertEqual(argv, expected + [b"/tmp/a b"])

    def test_mime_package_is_accepted_by_the_mime_database(self):
        mime = os.path.join(self.out, "share", "mime")
        subprocess.run(["update-mime-database", mime], check=True, capture_output=True)
        with open(os.path.join(mime, "globs2")) as f:
            self.assertIn(f":{TYPE}:*.zqf:cs", f.read())
        with open(os.path.join(mime, "icons")) as f:
            self.assertIn(f"{TYPE}:application-x-velmora-encrypted", f.read())

    def test_actions_name_the_launchers_for_the_right_types(self):
        bin_dir = os.path.join(self.PREFIX, "bin")
        nemo = os.path.join(self.out, "share", "nemo", "actions")
        expected = {"velmora-encrypt": ("sealdesk", ["/e"], "Extensions"),
                    "velmora-decrypt": ("sealdesk", ["/d"], "Mimetypes"),  # and folders
                    "velmora-shred": ("shredwell", [], "Extensions")}
        for name, (launcher, switch, match) in expected.items():
            action = read_key_file(os.path.join(nemo, name + ".nemo_action"))["Nemo Action"]
            argv = nemo_command(action["Exec"], [b"/a b/c'd.txt", b"/e\nf"])
            self.assertEqual(argv, [os.fsencode(os.path.join(bin_dir, launcher))] + [s.encode() for s in switch]
                             + [b"/a b/c'd.txt", b"/e\nf"])
            self.assertIn(match, action)
            self.assertEqual(action["Selection"], "notnone")
        menus = os.path.join(self.out, "share", "kio", "servicemenus")
        files = read_key_file(os.path.join(menus, "velmora-files.desktop"))
        self.assertEqual(files["Desktop Entry"]["MimeType"], "all/all;")
        self.assertEqual(files["Desktop Action encrypt"]["Name"], "Encrypt with Sealdesk")
        self.assertEqual(files["Desktop Action shred"]["Name"], "Shred with Shredwell")
        encrypted = read_key_file(os.path.join(menus, "velmora-encrypted.desktop"))
        self.assertEqual(encrypted["Desktop Entry"]["MimeType"], TYPE + ";inode/directory;")
        self.assertEqual(encrypted["Desktop Action decrypt"]["Name"], "Decrypt with Sealdesk")

    def test_a_prefix_without_reserved_characters_is_named_unquoted(self):
        # xdg-open without a desktop takes the first blank-separated word of Exec as it stands.
        entries = vd.desktop_entries("/usr/bin")
        seal = read_key_file_text(entries["velmora-sealdesk.desktop"])
        self.assertEqual(seal["Desktop Entry"]["Exec"], "/usr/bin/sealdesk /v %F")
        self.assertEqual(seal["Desktop Action encrypt"]["Exec"], "/usr/bin/sealdesk /e %F")
        shred = read_key_file_text(entries["velmora-shredwell.desktop"])
        self.assertEqual(shred["Desktop Entry"]["Exec"], "/usr/bin/shredwell %F")

    def test_prefix_that_desktop_entries_cannot_name_is_refused(self):
        self.assertIsNotNone(vd.check_prefix("/tmp/a\nb"))
        self.assertIsNotNone(vd.check_prefix("/tmp/100%"))
        self.assertIsNotNone(vd.check_prefix(os.fsdecode(b"/tmp/\xff")))
        self.assertIsNone(vd.check_prefix(self.PREFIX))


def png_of(width, height, rgba):
    raw = b"".join(b"\0" + bytes(rgba) * width for _ in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def png_size_and_first_pixel(path):
    with open(path, "rb") as f:
        data = f.read()
    width, height = struct.unpack(">II", data[16:24])
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        if kind == b"IDAT":
            idat += data[pos + 8:pos + 8 + length]
        pos += 12 + length
    raw = zlib.decompress(idat)
    return (width, height), raw[1:5]


class IcongenTest(unittest.TestCase):
    def test_each_size_from_the_icon_image_of_that_size_or_the_largest(self):
        with tempfile.TemporaryDirectory() as work:
            images = [(16, (255, 0, 0, 255)), (48, (0, 0, 255, 255))]
            payloads = [png_of(size, size, colour) for size, colour in images]
            ico = struct.pack("<HHH", 0, 1, len(images))
            offset = 6 + 16 * len(images)
            for (size, _), payload in zip(images, payloads):
                ico += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(payload), offset)
                offset += len(payload)
            with open(os.path.join(work, "test.ico"), "wb") as f:
                f.write(ico + b"".join(payloads))
            out = os.path.join(work, "icons")
            subprocess.run([OPTIONS.icongen, os.path.join(work, "test.ico"), out, "16", "32", "48"], check=True)
            self.assertEqual(png_size_and_first_pixel(os.path.join(out, "16x16.png")),
                             ((16, 16), bytes((255, 0, 0, 255))))
            self.assertEqual(png_size_and_first_pixel(os.path.join(out, "32x32.png")),
                             ((32, 32), bytes((0, 0, 255, 255))))
            self.assertEqual(png_size_and_first_pixel(os.path.join(out, "48x48.png")),
                             ((48, 48), bytes((0, 0, 255, 255))))
            with open(os.path.join(work, "broken.ico"), "wb") as f:
                f.write(b"not an icon")
            result = subprocess.run([OPTIONS.icongen, os.path.join(work, "broken.ico"), out, "16"],
                                    capture_output=True, text=True)
            self.assertEqual(result.returncode, 1)
            self.assertIn("broken.ico", result.stderr)


class InstallTest(unittest.TestCase):
    """scripts/install's work end to end: install, ask the desktop, install again, uninstall."""

    USER_MIMEAPPS = ("# my settings\n[Default Applications]\ntext/plain=editor.desktop;\n\n"
                     "[Added Associations]\nimage/png=viewer.desktop;\n")

    def setUp(self):
        self.box = Sandbox()
        self.prefix = os.path.join(self.box.root, "pre fix 'q'")
        os.makedirs(self.box.config_home)
        with open(os.path.join(self.box.config_home, "mimeapps.list"), "w") as f:
            f.write(self.USER_MIMEAPPS)

    def tearDown(self):
        self.box.close()

    def tool(self, *args, env=None):
        result = self.box.run([sys.executable, vd.__file__, *args], env=env, text=True)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        return result.stdout

    def place_stand_ins(self):
        for exe in vd.PROGRAMS:
            path = os.path.join(self.prefix, vd.PROGRAM_DIR, exe)
            with open(path, "w") as f:
                f.write(RECORDER)
            os.chmod(path, 0o755)

    def test_install_register_open_uninstall(self):
        out = self.tool("install", "--prefix", self.prefix, "--build", OPTIONS.build)
        self.assertNotIn("could not register", out)
        program_dir = os.path.join(self.prefix, vd.PROGRAM_DIR)
        for rel in ("Ciphercore.dll", "Encryption/Blockrune.dll", "Help.chm", "objcall", "Gaugebox.exe",
                    "libvelmora-runtime.so"):
            self.assertTrue(os.path.exists(os.path.join(program_dir, rel)), rel)
        # Run paths hold after install: the installed objcall runs from its own folder.
        # The user's registry names the installed engine, which finds its plug-ins beside itself.
        plain = os.path.join(self.box.root, "plain.bin")
        with open(plain, "wb") as f:
            f.write(os.urandom(3000))
        for step in (f"EncryptFile(s:{plain}, s:{plain}.zqf, s:pw)", f"DecryptFile(s:{plain}.zqf, s:{plain}.out, s:pw)"):
            result = self.box.run([os.path.join(program_dir, "objcall"), "Ciphercore.EncryptObject",
                                   "SelectedMethod=1", step], text=True)
            self.assertEqual(result.stdout.split()[-1:], ["b:true"], result.stdout + result.stderr)
        with open(plain, "rb") as a, open(plain + ".out", "rb") as b:
            self.assertEqual(a.read(), b.read())
        # Sealdesk's first start registers the .zqf type in the suite's registry, naming itself.
        sealdesk = os.path.join(program_dir, "Sealdesk.exe")
        if os.path.exists(sealdesk):
            self.box.run([sealdesk], env=dict(self.box.env, QT_QPA_PLATFORM="offscreen"), timeout=60)
        self.assertTrue(registry_names(self.box.env["VELMORA_REGISTRY"], program_dir))
        self.place_stand_ins()
        self.check_launchers()

        apps = os.path.join(self.box.data_home, "applications")
        for name in ("velmora-sealdesk.desktop", "velmora-shredwell.desktop"):
            result = self.box.run(["desktop-file-validate", os.path.join(apps, name)], text=True)
            self.assertEqual((result.returncode, result.stdout), (0, ""), result.stdout)

        work = os.path.join(self.box.root, "files")
        os.makedirs(work)
        paths = [os.path.join(os.fsencode(work), name) for name in ODD_NAMES]
        for path in paths:
            with open(path, "wb") as f:
                f.write(b"\0\1\2\3 encrypted")
        for desktop in ("", "GNOME"):
            env = dict(self.box.env, XDG_CURRENT_DESKTOP=desktop) if desktop else None
            query = self.box.run(["xdg-mime", "query", "filetype", paths[1]], env=env, text=True)
            self.assertEqual(query.stdout.strip(), TYPE, f"desktop {desktop or 'none'}")
        query = self.box.run(["xdg-mime", "query", "default", TYPE], text=True)
        self.assertEqual(query.stdout.strip(), "velmora-sealdesk.desktop")

        # Opening a file as a file manager does starts Sealdesk /v with the path, every byte intact.
        for path in paths:
            argv = self.box.recorded(lambda: self.box.run(["gio", "open", path], check=True))
            self.assertEqual(argv, [b"/v", path])

        # xdg-open itself, as programs and the guided first run call it, on every desktop it tells apart. The
        # prefix needs quoting, so the entries name links under the data folder.
        desktops = ["", "GNOME", "XFCE"] + (["KDE"] if shutil.which("kde-open5") or shutil.which("kde-open")
                                            else [])
        for desktop in desktops:
            env = dict(self.box.env, DISPLAY=os.environ.get("DISPLAY", ":99"))
            if desktop:
                env["XDG_CURRENT_DESKTOP"] = desktop
            for path in paths:
                if not desktop and not utf8(path):
                    # Without a desktop, xdg-mime asks File::MimeInfo's mimetype, which refuses a name that
                    # is not text in the locale's encoding before any entry is read.
                    continue
                argv = self.box.recorded(lambda: self.box.run(["xdg-open", path], env=env, check=True))
                self.assertEqual(argv, [b"/v", path], f"desktop {desktop or 'none'}")

        # The Sealdesk entry's actions, read by GLib as any launcher reads them.
        entry = os.path.join(apps, "velmora-sealdesk.desktop")
        for action, switch in (("decrypt-here", b"/d"), ("encrypt", b"/e")):
            exec_line = read_key_file(entry)[f"Desktop Action {action}"]["Exec"]
            argv = self.box.recorded(lambda: self.launch_exec(exec_line, paths[:3]))
            self.assertEqual(argv, [switch] + paths[:3])

        # File-manager actions with several files and a folder selected at once.
        folder = os.path.join(os.fsencode(work), b"a folder")
        os.makedirs(folder)
        selection = paths + [folder]
        scripts = os.path.join(os.fsencode(self.box.data_home), b"nautilus", b"scripts")
        for title, expected in ((b"Encrypt with Sealdesk", [b"/e"] + selection),
                                (b"Decrypt with Sealdesk", [b"/d"] + selection),
                                (b"Shred with Shredwell", selection)):
            names = [os.path.basename(p) for p in selection]  # Nautilus passes names relative to the folder
            script = os.path.join(scripts, title)
            argv = self.box.recorded(lambda: self.box.run([script, *names], cwd=work, check=True))
            self.assertEqual(argv, expected, title)
        nemo = os.path.join(self.box.data_home, "nemo", "actions")
        for name, expected in (("velmora-encrypt", [b"/e"] + selection), ("velmora-shred", selection)):
            exec_line = read_key_file(os.path.join(nemo, name + ".nemo_action"))["Nemo Action"]["Exec"]
            argv = self.box.recorded(lambda: self.box.run(nemo_command(exec_line, selection), check=True))
            self.assertEqual(argv, expected, name)
        menus = os.path.join(self.box.data_home, "kio", "servicemenus")
        for menu, action, expected in (("velmora-files", "encrypt", [b"/e"] + selection),
                                       ("velmora-files", "shred", selection),
                                       ("velmora-encrypted", "decrypt", [b"/d"] + selection)):
            exec_line = read_key_file(os.path.join(menus, menu + ".desktop"))[f"Desktop Action {action}"]["Exec"]
            argv = self.box.recorded(lambda: self.launch_exec(exec_line, selection))
            self.assertEqual(argv, expected, action)
        for name in os.listdir(menus):  # Dolphin runs menus from the user's folders only when executable
            self.assertTrue(os.access(os.path.join(menus, name), os.X_OK), name)

        # Install over the first, on a desktop without the database tools: explained, not fatal.
        bare = os.path.join(self.box.root, "bare-bin")
        os.makedirs(bare)
        for folder in os.environ.get("PATH", "/usr/bin").split(os.pathsep):
            if os.path.isdir(folder):
                for name in os.listdir(folder):
                    if name not in ("update-mime-database", "update-desktop-database") and not os.path.lexists(
                            os.path.join(bare, name)):
                        os.symlink(os.path.join(folder, name), os.path.join(bare, name))
        out = self.tool("install", "--prefix", self.prefix, "--build", OPTIONS.build,
                        env=dict(self.box.env, PATH=bare))
        self.assertIn("update-mime-database is not installed", out)
        with open(os.path.join(self.box.config_home, "mimeapps.list")) as f:
            self.assertEqual(f.read().count(TYPE), 1)

        # Stand-ins for programs this build does not have yet are the test's own, not the install's.
        with open(os.path.join(self.prefix, vd.PROGRAM_DIR, vd.MANIFEST)) as f:
            installed = json.load(f)["files"]
        for exe in vd.PROGRAMS:
            path = os.path.join(self.prefix, vd.PROGRAM_DIR, exe)
            if path not in installed and os.path.exists(path):
                os.remove(path)
        # A log file the programs wrote stays, and so does the registry, until --purge.
        log = os.path.join(self.prefix, vd.PROGRAM_DIR, vd.LOG_FILE)
        with open(log, "w") as f:
            f.write("2,Sealdesk,mMain,Main,01/02/26 10:11:12,An error,5\r\n")
        out = self.tool("uninstall", "--prefix", self.prefix)
        self.assertIn(f"kept the log file {log}", out)
        self.assertEqual([os.path.join(d, f) for d, _, fs in os.walk(self.prefix) for f in fs], [log])
        with open(os.path.join(self.box.config_home, "mimeapps.list")) as f:
            self.assertEqual(f.read(), self.USER_MIMEAPPS)
        # The sandbox's data folder had nothing before, so nothing is left in it; no registration names the
        # deleted programs, and the folder drive C: stood for is gone with them.
        self.assertEqual([os.path.join(d, f) for d, _, fs in os.walk(self.box.data_home) for f in fs], [])
        self.assertEqual(registry_names(self.box.env["VELMORA_REGISTRY"], program_dir), [])
        self.assertFalse(os.path.exists(self.box.env["VELMORA_DRIVE_C"]))
        query = self.box.run(["xdg-mime", "query", "filetype", paths[1]], text=True)
        self.assertNotEqual(query.stdout.strip(), TYPE)
        self.tool("uninstall", "--prefix", self.prefix, "--purge")
        self.assertFalse(os.path.exists(self.prefix))
        self.assertFalse(os.path.exists(self.box.env["VELMORA_REGISTRY"]))
        self.assertIn("nothing to uninstall", self.tool("uninstall", "--prefix", self.prefix))

    def check_launchers(self):
        """Usage for --help, -h and no arguments; every other command line reaches the program as it is."""
        for name, program_usage in (("sealdesk", "Usage: sealdesk /e PATH"), ("shredwell", "Usage: shredwell")):
            launcher = os.path.join(self.prefix, "bin", name)
            for args, status in ((["--help"], 0), (["-h"], 0), ([], 2)):
                result = self.box.run([launcher, *args], text=True)
                self.assertEqual(result.returncode, status, (name, args))
                self.assertIn(program_usage, result.stdout if status == 0 else result.stderr)
            for args in (["/?"], ["/e", "--help"], ["-x", "a b"], ["--"]):
                argv = self.box.recorded(lambda: self.box.run([launcher, *args], check=True))
                self.assertEqual(argv, [a.encode() for a in args], (name, args))

    def launch_exec(self, exec_line, files):
        """Launches an Exec line with files through GLib, as a desktop launcher does."""
        entry = os.path.join(self.box.root, "launch-test.desktop")
        with open(entry, "w") as f:
            f.write("[Desktop Entry]\nType=Application\nName=Launch test\nExec="
                    + exec_line.replace("\\", "\\\\") + "\n")
        self.box.run(["gio", "launch", entry, *files], check=True)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--icongen", required=True)
    OPTIONS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
