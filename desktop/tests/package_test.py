#!/usr/bin/env python3
"""The Debian package, made from the build tree by CPack into a scratch folder and checked as Debian would:
lintian finds no error, the control fields come from the binaries, the contents are every file users need
and nothing of the tests or benchmarks, and the programs run from an extracted copy whose program folder
the user may not write, logging into the user's state folder instead. Nothing is installed system-wide.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

OPTIONS = None
OTHER_USER = 65534  # root may write any folder: the run as an ordinary user is what a user sees
BUILD_TOOLS = ("clipgen", "icongen")  # generators the build runs; build/bin is where they land
# What the programs write beside themselves when they run (other tests run them from build/bin): the log.
RUN_TIME_FILES = ("Ardent.zq_",)


def run(argv, **kw):
    return subprocess.run(argv, capture_output=True, text=True, **kw)


class PackageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp(prefix="velmora-package-")
        os.chmod(cls.scratch, 0o755)
        result = run(["cpack", "--config", os.path.join(OPTIONS.build, "CPackConfig.cmake"), "-B", cls.scratch])
        if result.returncode != 0:
            raise AssertionError("cpack failed:\n" + result.stdout + result.stderr)
        debs = [n for n in os.listdir(cls.scratch) if n.endswith(".deb")]
        assert len(debs) == 1, debs
        cls.deb = os.path.join(cls.scratch, debs[0])
        cls.contents = set()
        for line in run(["dpkg-deb", "-c", cls.deb], check=True).stdout.splitlines():
            path = line.split(None, 5)[5].split(" -> ")[0]
            cls.contents.add(path[1:].rstrip("/") or "/")

    @classmethod
    def tearDownClass(cls):
        if os.environ.get("VELMORA_KEEP_SANDBOX") != "1":
            for folder, _, _ in os.walk(cls.scratch):  # the read-only program folder, for a run as a user
                os.chmod(folder, 0o755)
            shutil.rmtree(cls.scratch, ignore_errors=True)

    def field(self, name):
        return run(["dpkg-deb", "-f", self.deb, name], check=True).stdout.strip()

    def test_name_version_and_dependencies_from_the_binaries(self):
        with open(os.path.join(OPTIONS.build, "CMakeCache.txt")) as f:
            version = next(line.split("=", 1)[1].strip() for line in f if line.startswith("CMAKE_PROJECT_VERSION:"))
        self.assertEqual(os.path.basename(self.deb), f"velmora_{version}-1_amd64.deb")
        self.assertEqual(self.field("Package"), "velmora")
        depends = [d.strip().split()[0] for d in self.field("Depends").split(",")]
        # What the programs link, found by dpkg-shlibdeps; nothing for building or testing.
        for needed in ("libc6", "libstdc++6", "libqt6widgets6", "libqt6network6", "libsqlite3-0", "libsodium23",
                       "libglib2.0-0"):
            self.assertIn(needed, depends)
        for package in depends:
            self.assertFalse(package.endswith("-dev") or package.startswith(("libgtest", "python3", "cmake")),
                             package)

    def test_contents_are_what_users_need(self):
        bin_dir = os.path.join(OPTIONS.build, "bin")
        missing = []
        for folder, _, files in os.walk(bin_dir):
            for name in files:
                if name in BUILD_TOOLS or name in RUN_TIME_FILES:
                    continue
                rel = os.path.relpath(os.path.join(folder, name), bin_dir)
                if f"/usr/lib/velmora/{rel}" not in self.contents:
                    missing.append(rel)
        self.assertEqual(missing, [])
        for path in ("/usr/bin/sealdesk", "/usr/bin/shredwell", "/usr/share/man/man1/sealdesk.1.gz",
                     "/usr/share/man/man1/shredwell.1.gz", "/usr/share/doc/velmora/copyright",
                     "/usr/share/doc/velmora/changelog.Debian.gz", "/usr/share/mime/packages/velmora.xml",
                     "/usr/share/applications/velmora-sealdesk.desktop",
                     "/usr/share/applications/velmora-shredwell.desktop",
                     "/usr/share/kio/servicemenus/velmora-files.desktop",
                     "/usr/share/nemo/actions/velmora-encrypt.nemo_action",
                     "/usr/share/velmora/nautilus-scripts/Encrypt with Sealdesk",
                     "/usr/share/icons/hicolor/48x48/mimetypes/application-x-velmora-encrypted.png"):
            self.assertIn(path, self.contents)
        for path in self.contents:
            self.assertFalse(path.startswith(("/home", "/root", "/etc", "/usr/local")), path)
            self.assertNotRegex(path, r"(^|/)(tests?|bench)(/|$)|_test\b|install-manifest")

    def test_lintian_finds_no_error(self):
        result = run(["lintian", "--fail-on", "error", "--no-tag-display-limit", self.deb])
        print("\n[ lintian ] " + (result.stdout.strip().replace("\n", "\n[ lintian ] ") or "clean"),
              file=sys.stderr)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertNotRegex(result.stdout, r"(?m)^E: ")

    def test_the_extracted_programs_run_and_log_into_the_state_folder(self):
        root = os.path.join(self.scratch, "root")
        run(["dpkg-deb", "-x", self.deb, root], check=True)
        program_dir = os.path.join(root, "usr", "lib", "velmora")
        home = os.path.join(self.scratch, "home")
        os.makedirs(home)
        os.chmod(home, 0o777)
        env = {"PATH": "/usr/bin:/bin", "HOME": home, "QT_QPA_PLATFORM": "offscreen", "LANG": "C.UTF-8",
               "VELMORA_REGISTRY": os.path.join(home, "registry.db"), "TMPDIR": home,
               "VELMORA_DRIVE_C": os.path.join(home, "drive_c")}
        # The program folder as a system-wide install has it: root's, read-only for everyone else.
        for folder, dirs, files in os.walk(program_dir):
            os.chmod(folder, 0o755)
        as_user = []
        if os.geteuid() == 0:
            as_user = ["setpriv", f"--reuid={OTHER_USER}", f"--regid={OTHER_USER}", "--clear-groups"]
        else:
            os.chmod(program_dir, 0o555)

        def user(*argv):
            return run(as_user + list(argv), env=env, cwd=home, timeout=120)

        help_text = user(os.path.join(root, "usr", "bin", "sealdesk"), "--help")
        self.assertEqual(help_text.returncode, 0, help_text.stderr)
        self.assertIn("Usage: sealdesk", help_text.stdout)
        # Nautilus reads scripts from the user's folder only: the launcher copies them there on request.
        added = user(os.path.join(root, "usr", "bin", "sealdesk"), "--install-nautilus-scripts")
        self.assertEqual(added.returncode, 0, added.stderr)
        scripts = os.path.join(home, ".local", "share", "nautilus", "scripts")
        self.assertEqual(sorted(os.listdir(scripts)),
                         ["Decrypt with Sealdesk", "Encrypt with Sealdesk", "Shred with Shredwell"])
        with open(os.path.join(scripts, "Encrypt with Sealdesk")) as f:
            self.assertIn("exec '/usr/bin/sealdesk' /e", f.read())

        # The engine and its plug-ins from the package: encrypt and decrypt a file.
        plain = os.path.join(home, "plain.bin")
        with open(plain, "wb") as f:
            f.write(os.urandom(5000))
        os.chmod(plain, 0o666)
        objcall = os.path.join(program_dir, "objcall")
        for step in (f"EncryptFile(s:{plain}, s:{plain}.zqf, s:pw)", f"DecryptFile(s:{plain}.zqf, s:{plain}.out, s:pw)"):
            result = user(objcall, "--register", os.path.join(program_dir, "Ciphercore.dll"),
                          "Ciphercore.EncryptObject", "SelectedMethod=1", step)
            self.assertEqual(result.stdout.split()[-1:], ["b:true"], result.stdout + result.stderr)
        with open(plain, "rb") as a, open(plain + ".out", "rb") as b:
            self.assertEqual(a.read(), b.read())

        # The log server, asked to log beside the program, writes into the user's state folder.
        self.assertEqual(user(os.path.join(program_dir, "Tracebook.exe"), "/regserver").returncode, 0)
        beside = os.path.join(program_dir, "Ardent.zq_")
        result = user(objcall, "Tracebook.LogObject", f"LogFilename=s:{beside}", "Log(s:from the package)")
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertFalse(os.path.exists(beside))
        with open(os.path.join(home, ".local", "state", "velmora", "Ardent.zq_"), "rb") as f:
            lines = f.read().split(b"\r\n")
        self.assertRegex(lines[0], rb"^1,Not Specified,Not Specified,Not Specified,[0-9/]+ [0-9:]+,"
                                   rb"from the package,$")
        self.assertEqual(lines[1:], [b""])


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    OPTIONS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
