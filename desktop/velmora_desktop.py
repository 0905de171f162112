#!/usr/bin/env python3
"""The suite as a desktop citizen: installed files for the desktop, and the user's registration.

  velmora_desktop.py generate --prefix P --out DIR [--icons DIR]
      writes what `cmake --install` puts under P besides the program folder (launchers, desktop entries,
      the MIME package, icons, file-manager actions), naming the launchers of prefix P
  velmora_desktop.py install --prefix P --build DIR
      runs `cmake --install`, registers the components in the user's registry and the file type, the
      programs and the actions with the user's desktop; keeps a manifest of all of it
  velmora_desktop.py uninstall --prefix P [--purge]
      undoes what the manifest lists, and the registrations the programs wrote on their first start;
      keeps the log file and the suite's registry unless --purge

Everything the desktop reads is looked up the freedesktop.org way: XDG_DATA_HOME (default ~/.local/share)
and XDG_CONFIG_HOME (default ~/.config).
"""
import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

MIME_TYPE = "application/x-velmora-encrypted"
MIME_ICON = "application-x-velmora-encrypted"
APP_ICON = "velmora-sealdesk"
SEALDESK_ENTRY = "velmora-sealdesk.desktop"
SHREDWELL_ENTRY = "velmora-shredwell.desktop"
PROGRAM_DIR = "lib/velmora"
MANIFEST = "install-manifest.json"
STAGE_MARKER = ".velmora-stage"  # marks a folder generate may replace
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
LOG_FILE = "Ardent.zq_"
# Nautilus reads scripts from the user's own folder only: they are installed here and copied from here.
NAUTILUS_SCRIPTS = "share/velmora/nautilus-scripts"
# Where a user's registration links the launchers when the prefix cannot be named unquoted.
LINK_DIR = "velmora/bin"
# The file type Sealdesk registers in the suite's registry on every start.
PROG_ID = "Ardentum.EncryptedFile"
# The two programs that face the user; every other .exe in the program folder is a component server.
PROGRAMS = ("Sealdesk.exe", "Shredwell.exe")
# The trees under a share folder that belong to the desktop registration.
SHARE_TREES = ("applications", "mime/packages", "icons/hicolor", "kio/servicemenus", "nemo/actions")


def say(text):
    print(f"velmora: {text}", flush=True)


# ---- quoting ------------------------------------------------------------------------------------------

def desktop_exec_arg(arg):
    """One argument of a desktop entry's Exec key: quoted, then escaped as a key-file string."""
    quoted = '"' + re.sub(r'(["`$\\])', r"\\\1", arg) + '"'
    return quoted.replace("\\", "\\\\").replace("%", "%%")


# The characters a desktop entry's Exec must quote; a path with none of them is one word to every reader,
# xdg-open's own (which takes the first blank-separated word as it stands) included.
EXEC_RESERVED = set(' \t\n"\'\\><~|&;$*?#()`%')


def exec_program(path):
    """How an Exec line names a program: as it stands when it needs no quoting, else quoted."""
    return desktop_exec_arg(path) if EXEC_RESERVED & set(path) else path


def shell_quote(arg):
    return "'" + arg.replace("'", "'\\''") + "'"


def nemo_exec_arg(arg):
    """Nemo expands its %-codes, then splits the line with shell rules (Quote=single)."""
    return shell_quote(arg).replace("%", "%%").replace("\\", "\\\\")


# ---- the files ----------------------------------------------------------------------------------------

LAUNCHER = """#!/bin/sh
# Starts {exe} from the suite's program folder. Answers --help, -h and no arguments with its usage;
# every other command line is handed on as it came.
here=$(dirname -- "$(readlink -f -- "$0")")
program="$here/../{program_dir}/{exe}"
usage() {{
  cat <<'USAGE'
{usage}USAGE
}}
if [ $# -eq 0 ]; then
  usage >&2
  exit 2
fi
case $1 in
  -h|--help) usage; exit 0 ;;{extra}
esac
if [ ! -x "$program" ]; then
  echo "{name}: $program is not installed" >&2
  exit 127
fi
exec "$program" "$@"
"""

SEALDESK_USAGE = """Usage: sealdesk /e PATH...      encrypt files and folders under a password
       sealdesk /d FILE.zqf...  decrypt in place
       sealdesk /v FILE.zqf...  decrypt a copy into your temporary folder and open it
       sealdesk --install-nautilus-scripts
                                add Encrypt, Decrypt and Shred to Nautilus's Scripts menu
A window asks for the encryption method and the password. Decrypting needs the method the
file was encrypted with. Errors go to the log file Ardent.zq_ (see "man sealdesk").
"""

SHREDWELL_USAGE = """Usage: shredwell PATH...  destroy files, and the files in folders, by overwriting them, then deleting them
A window asks for the number of overwrite passes. On copy-on-write file systems and on
flash storage, earlier copies of the data may survive (see "man shredwell").
"""

# Copies the Nautilus scripts into the user's folder, the only one Nautilus reads them from.
INSTALL_NAUTILUS_SCRIPTS = """
  --install-nautilus-scripts)
    data=${{XDG_DATA_HOME:-}}
    case $data in /*) ;; *) data=$HOME/.local/share ;; esac
    mkdir -p "$data/nautilus/scripts" &&
      cp -- "$here/../{scripts}/"* "$data/nautilus/scripts/" &&
      echo "sealdesk: Nautilus's Scripts menu now has the suite's actions ($data/nautilus/scripts)"
    exit ;;"""


def launcher_script(exe, name):
    extra = INSTALL_NAUTILUS_SCRIPTS.format(scripts=NAUTILUS_SCRIPTS) if name == "sealdesk" else ""
    usage = SEALDESK_USAGE if name == "sealdesk" else SHREDWELL_USAGE
    return LAUNCHER.format(exe=exe, name=name, program_dir=PROGRAM_DIR, usage=usage, extra=extra)

MIME_PACKAGE = f"""<?xml version="1.0" encoding="UTF-8"?>
<mime-info xmlns="http://www.freedesktop.org/standards/shared-mime-info">
  <mime-type type="{MIME_TYPE}">
    <comment>Ardentum Encrypted File</comment>
    <icon name="{MIME_ICON}"/>
    <glob pattern="*.zqf" case-sensitive="true"/>
  </mime-type>
</mime-info>
"""

# Nautilus hands a script the selected names relative to the folder it runs the script in; the script makes
# them absolute and keeps every byte of them.
NAUTILUS_SCRIPT = """#!/bin/sh
# Nautilus script "{title}": the selected {what}, each name as it came.
for name do
  shift
  case $name in
    /*) ;;
    *) name=$PWD/$name ;;
  esac
  {keep}
done
[ $# -gt 0 ] || exit 0
exec {launcher} {switch}"$@"
"""


def actions(bin_dir):
    """The three file-manager actions: (key, title, launcher, switch, selection, what)."""
    sealdesk = os.path.join(bin_dir, "sealdesk")
    shredwell = os.path.join(bin_dir, "shredwell")
    return [
        ("encrypt", "Encrypt with Sealdesk", sealdesk, "/e", "any", "files and folders"),
        ("decrypt", "Decrypt with Sealdesk", sealdesk, "/d", "encrypted", "encrypted files and folders"),
        ("shred", "Shred with Shredwell", shredwell, None, "any", "files and folders"),
    ]


def desktop_entries(bin_dir):
    sealdesk = exec_program(os.path.join(bin_dir, "sealdesk"))
    shredwell = exec_program(os.path.join(bin_dir, "shredwell"))
    # Not NoDisplay, although Sealdesk without a path shows nothing: file managers leave hidden entries out
    # of their "Open with" lists, which is where it must be. Shredwell is, since it acts on a selection
    # only (the file managers' actions start it), and offering it to open a file would destroy that file.
    sealdesk_entry = f"""[Desktop Entry]
Type=Application
Version=1.4
Name=Sealdesk
GenericName=File Encryption
Comment=Decrypt and view encrypted files; encrypt files and folders with a password
Exec={sealdesk} /v %F
Icon={APP_ICON}
Terminal=false
MimeType={MIME_TYPE};
Categories=Utility;FileTools;
Keywords=encrypt;decrypt;password;zqf;
Actions=decrypt-here;encrypt;

[Desktop Action decrypt-here]
Name=Decrypt here
Exec={sealdesk} /d %F

[Desktop Action encrypt]
Name=Encrypt
Exec={sealdesk} /e %F
"""
    shredwell_entry = f"""[Desktop Entry]
Type=Application
Version=1.4
Name=Shredwell
GenericName=File Shredder
Comment=Destroy files by overwriting them several times before deleting them
Exec={shredwell} %F
Icon=edit-delete
Terminal=false
Categories=Utility;FileTools;
NoDisplay=true
"""
    return {SEALDESK_ENTRY: sealdesk_entry, SHREDWELL_ENTRY: shredwell_entry}


def nautilus_script(title, launcher, switch, selection, what):
    keep = 'set -- "$@" "$name"'
    if selection == "encrypted":
        keep = 'case $name in *.zqf) set -- "$@" "$name" ;; *) if [ -d "$name" ]; then set -- "$@" "$name"; fi ;; esac'
    return NAUTILUS_SCRIPT.format(title=title, what=what, keep=keep, launcher=shell_quote(launcher),
                                  switch=f"{switch} " if switch else "")


def dolphin_menu(mime_types, items):
    lines = ["[Desktop Entry]", "Type=Service", "X-KDE-ServiceTypes=KonqPopupMenu/Plugin",
             f"MimeType={mime_types}", "Actions=" + "".join(f"{key};" for key, *_ in items), ""]
    for key, title, launcher, switch, icon in items:
        exec_line = desktop_exec_arg(launcher) + (f" {switch}" if switch else "") + " %F"
        lines += [f"[Desktop Action {key}]", f"Name={title}", f"Icon={icon}", f"Exec={exec_line}", ""]
    return "\n".join(lines)


def nemo_action(title, launcher, switch, selection, icon):
    exec_line = nemo_exec_arg(launcher) + (f" {switch}" if switch else "") + " %F"
    match = f"Mimetypes={MIME_TYPE};inode/directory;" if selection == "encrypted" else "Extensions=any;"
    return f"""[Nemo Action]
Name={title}
Comment={title}
Exec={exec_line}
Icon-Name={icon}
Selection=notnone
{match}
Quote=single
"""


def share_files(prefix, icons_dir):
    """What goes under PREFIX besides the program folder: {relative path: (text or source file, mode)}."""
    bin_dir = os.path.join(prefix, "bin")
    files = {
        "bin/sealdesk": (launcher_script("Sealdesk.exe", "sealdesk"), 0o755),
        "bin/shredwell": (launcher_script("Shredwell.exe", "shredwell"), 0o755),
        "share/mime/packages/velmora.xml": (MIME_PACKAGE, 0o644),
    }
    for name, text in desktop_entries(bin_dir).items():
        files[f"share/applications/{name}"] = (text, 0o644)
    icon_of = {"encrypt": APP_ICON, "decrypt": APP_ICON, "shred": "edit-delete"}
    dolphin_any, dolphin_encrypted = [], []
    for key, title, launcher, switch, selection, what in actions(bin_dir):
        files[f"{NAUTILUS_SCRIPTS}/{title}"] = (nautilus_script(title, launcher, switch, selection, what), 0o755)
        files[f"share/nemo/actions/velmora-{key}.nemo_action"] = (
            nemo_action(title, launcher, switch, selection, icon_of[key]), 0o644)
        (dolphin_encrypted if selection == "encrypted" else dolphin_any).append(
            (key, title, launcher, switch, icon_of[key]))
    # Executable only in the user's folders, where Dolphin wants that (install() sees to it).
    files["share/kio/servicemenus/velmora-files.desktop"] = (dolphin_menu("all/all;", dolphin_any), 0o644)
    files["share/kio/servicemenus/velmora-encrypted.desktop"] = (
        dolphin_menu(f"{MIME_TYPE};inode/directory;", dolphin_encrypted), 0o644)
    if icons_dir and os.path.isdir(icons_dir):
        for size in ICON_SIZES:
            png = os.path.join(icons_dir, f"{size}x{size}.png")
            if os.path.isfile(png):
                base = f"share/icons/hicolor/{size}x{size}"
                files[f"{base}/mimetypes/{MIME_ICON}.png"] = (("file", png), 0o644)
                files[f"{base}/apps/{APP_ICON}.png"] = (("file", png), 0o644)
    return files


def check_prefix(prefix):
    """A prefix the desktop files can name, or a one-line reason why not."""
    if "\n" in prefix or "\r" in prefix:
        return "a prefix with a line break cannot be named in desktop entries"
    if "%" in prefix:
        # Launchers check a program named with %% as it stands, before the field codes are expanded.
        return "a prefix with a % sign cannot be named in desktop entries"
    try:
        os.fsencode(prefix).decode("utf-8")
    except UnicodeDecodeError:
        return "desktop entries are UTF-8 text, so the prefix must be valid UTF-8"
    return None


def write_file(path, content, mode):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if isinstance(content, tuple):
        shutil.copyfile(content[1], path)
    else:
        with open(path, "w", encoding="utf-8") as out:
            out.write(content)
    os.chmod(path, mode)


def generate(args):
    prefix = os.path.abspath(args.prefix)
    problem = check_prefix(prefix)
    if problem:
        say(f"cannot install into {prefix!r}: {problem}")
        return 1
    marker = os.path.join(args.out, STAGE_MARKER)
    if os.path.isdir(args.out):
        if not os.path.exists(marker):
            say(f"{args.out} is not a folder this tool wrote; not replacing it")
            return 1
        shutil.rmtree(args.out)
    os.makedirs(args.out)
    open(marker, "w").close()
    for rel, (content, mode) in share_files(prefix, args.icons).items():
        write_file(os.path.join(args.out, rel), content, mode)
    return 0


# ---- registration -------------------------------------------------------------------------------------

def xdg_home(variable, fallback):
    value = os.environ.get(variable, "")
    return value if os.path.isabs(value) else os.path.join(os.path.expanduser("~"), fallback)


def ancestors(path, stop):
    """The folders between path and stop (stop excluded), deepest first."""
    result = []
    path = os.path.dirname(path)
    while path.startswith(stop + os.sep) and path != stop:
        result.append(path)
        path = os.path.dirname(path)
    return result


def run_tool(argv, what, env=None):
    """Runs a desktop tool; a missing one is explained in one line, never fatal."""
    if shutil.which(argv[0]) is None:
        say(f"{argv[0]} is not installed: {what} (install it, then run scripts/install again)")
        return False
    result = subprocess.run(argv, capture_output=True, text=True, env=env)
    if result.returncode != 0:
        say(f"{argv[0]} failed: {(result.stderr or result.stdout).strip().splitlines()[-1:]}")
        return False
    return True


def refresh_databases(data_home):
    mime_dir = os.path.join(data_home, "mime")
    if os.path.isdir(os.path.join(mime_dir, "packages")):
        run_tool(["update-mime-database", mime_dir], "the desktop does not know .zqf files yet")
    apps_dir = os.path.join(data_home, "applications")
    if os.path.isdir(apps_dir):
        run_tool(["update-desktop-database", "-q", apps_dir],
                 "the default application still works; the list of other applications may be stale")


def component_files(program_dir):
    if not os.path.isdir(program_dir):
        return [], []
    names = sorted(os.listdir(program_dir))
    libraries = [n for n in names if n.endswith(".dll")]
    servers = [n for n in names if n.endswith(".exe") and n not in PROGRAMS]
    return libraries, servers


def register_components(program_dir, unregister=False):
    """Runs the registration entry points of the suite's libraries and servers in the user's registry."""
    libraries, servers = component_files(program_dir)
    objcall = os.path.join(program_dir, "objcall")
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    failed = []
    for name in libraries:
        path = os.path.join(program_dir, name)
        flag = "--unregister" if unregister else "--register"
        if subprocess.run([objcall, flag, path], capture_output=True, env=env).returncode != 0:
            failed.append(name)
    for name in servers:
        path = os.path.join(program_dir, name)
        switch = "/unregserver" if unregister else "/regserver"
        if subprocess.run([path, switch], capture_output=True, env=env).returncode != 0:
            failed.append(name)
    if failed:
        say(("could not unregister " if unregister else "could not register ") + ", ".join(failed))
    return {"libraries": libraries, "servers": servers}


class MimeApps:
    """The user's mimeapps.list, changed one line at a time so every other setting stays as it was."""

    SECTION = "[Default Applications]"

    def __init__(self, path):
        self.path = path
        self.existed = os.path.exists(path)
        self.lines = []
        if self.existed:
            with open(path, encoding="utf-8", errors="surrogateescape") as f:
                self.lines = f.read().splitlines()

    def _section(self):
        start = next((i for i, line in enumerate(self.lines) if line.strip() == self.SECTION), None)
        if start is None:
            return None, None
        end = start + 1
        while end < len(self.lines) and not self.lines[end].lstrip().startswith("["):
            end += 1
        return start, end

    def _find(self, key):
        start, end = self._section()
        if start is None:
            return None
        for i in range(start + 1, end):
            name, sep, _ = self.lines[i].partition("=")
            if sep and name.strip() == key:
                return i
        return None

    def get(self, key):
        i = self._find(key)
        return None if i is None else self.lines[i].partition("=")[2].strip()

    def set(self, key, value):
        i = self._find(key)
        if i is not None:
            self.lines[i] = f"{key}={value}"
            return
        start, end = self._section()
        if start is None:
            if self.lines and self.lines[-1].strip():
                self.lines.append("")
            self.lines += [self.SECTION, f"{key}={value}"]
            return
        while end > start + 1 and not self.lines[end - 1].strip():
            end -= 1
        self.lines.insert(end, f"{key}={value}")

    def remove(self, key):
        i = self._find(key)
        if i is not None:
            del self.lines[i]
        start, end = self._section()
        if start is not None and all(not line.strip() for line in self.lines[start + 1:end]):
            del self.lines[start:end]
            while self.lines and not self.lines[-1].strip():
                self.lines.pop()

    def save(self, remove_if_empty=False):
        if remove_if_empty and not any(line.strip() for line in self.lines):
            if os.path.exists(self.path):
                os.remove(self.path)
            return
        os.makedirs(os.path.dirname(self.path), exist_ok=True)
        fd, temp = tempfile.mkstemp(dir=os.path.dirname(self.path), prefix=".mimeapps.")
        with os.fdopen(fd, "w", encoding="utf-8", errors="surrogateescape") as out:
            out.write("\n".join(self.lines) + "\n")
        if os.path.exists(self.path):
            shutil.copymode(self.path, temp)
        else:
            os.chmod(temp, 0o644)
        os.replace(temp, self.path)


def set_default_application(config_home, earlier):
    apps = MimeApps(os.path.join(config_home, "mimeapps.list"))
    current = apps.get(MIME_TYPE)
    record = {"file": apps.path, "created_file": not apps.existed, "previous": current}
    if earlier and current == f"{SEALDESK_ENTRY};":
        # An install over an earlier one keeps what the user had before the first.
        record = earlier
    apps.set(MIME_TYPE, f"{SEALDESK_ENTRY};")
    apps.save()
    return record


def restore_default_application(record):
    apps = MimeApps(record["file"])
    if apps.get(MIME_TYPE) != f"{SEALDESK_ENTRY};":
        return  # the user chose another default since; that choice stays
    if record.get("previous"):
        apps.set(MIME_TYPE, record["previous"])
    else:
        apps.remove(MIME_TYPE)
    apps.save(remove_if_empty=record.get("created_file", False))


def read_manifest(prefix):
    path = os.path.join(prefix, PROGRAM_DIR, MANIFEST)
    try:
        with open(path, encoding="utf-8", errors="surrogateescape") as f:
            return json.load(f)
    except FileNotFoundError:
        return None
    except ValueError:
        say(f"{path} is damaged; nothing removed")
        sys.exit(1)


def existing(paths):
    return {p for p in paths if os.path.isdir(p)}


def suite_folders(data_home):
    """The suite's per-user folders: the registry's and drive C:'s (which the programs make on first use)."""
    registry = os.environ.get("VELMORA_REGISTRY") or os.path.join(data_home, "velmora", "registry.db")
    drive_c = os.environ.get("VELMORA_DRIVE_C") or os.path.join(data_home, "velmora", "drive_c")
    return registry, drive_c


def state_home():
    return xdg_home("XDG_STATE_HOME", ".local/state")


def link_launchers(prefix, data_home):
    """Links to the launchers under a path an Exec line can name unquoted, for a prefix that cannot be;
    None when no such path is at hand (the entries then name the launchers quoted)."""
    link_dir = os.path.join(data_home, LINK_DIR)
    if EXEC_RESERVED & set(link_dir):
        say("xdg-open without a desktop cannot start a program under this prefix or data folder "
            "(blanks, quotes or shell characters in the path); file managers can")
        return None, []
    os.makedirs(link_dir, exist_ok=True)
    links = []
    for name in ("sealdesk", "shredwell"):
        link = os.path.join(link_dir, name)
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(os.path.join(prefix, "bin", name), link)
        links.append(link)
    return link_dir, links


def install(args):
    prefix = os.path.abspath(args.prefix)
    problem = check_prefix(prefix)
    if problem:
        say(f"cannot install into {prefix!r}: {problem}")
        return 1
    data_home = xdg_home("XDG_DATA_HOME", ".local/share")
    config_home = xdg_home("XDG_CONFIG_HOME", ".config")
    share = os.path.join(prefix, "share")
    copy_share = os.path.realpath(share) != os.path.realpath(data_home)
    earlier = read_manifest(prefix) or {}
    awkward = bool(EXEC_RESERVED & set(os.path.join(prefix, "bin")))

    # Which folders are there before, so that an uninstall removes only the folders this install (or the
    # programs' first start) made, once they are empty.
    layout = list(share_files(prefix, os.path.join(args.build, "desktop", "icons")))
    layout += [f"{PROGRAM_DIR}/Encryption/x", "share/man/man1/x", "share/doc/velmora/x"]
    candidates = set()
    for rel in layout:
        candidates.update(ancestors(os.path.join(prefix, rel), os.path.dirname(prefix)))
        if copy_share and rel.startswith("share/"):
            candidates.update(ancestors(os.path.join(data_home, rel[len("share/"):]), os.path.dirname(data_home)))
    candidates.update(ancestors(os.path.join(config_home, "mimeapps.list"), os.path.dirname(config_home)))
    registry, drive_c = suite_folders(data_home)
    for path in (os.path.join(data_home, "nautilus", "scripts", "x"), os.path.join(data_home, LINK_DIR, "x"),
                 registry, os.path.join(drive_c, "x")):
        if path.startswith(data_home + os.sep):
            candidates.update(ancestors(path, os.path.dirname(data_home)))
    candidates.add(drive_c)
    before = existing(candidates)

    result = subprocess.run(["cmake", "--install", args.build, "--prefix", prefix], capture_output=True,
                            text=True)
    if result.returncode != 0:
        sys.stderr.write(result.stdout + result.stderr)
        say("cmake --install failed")
        return 1
    with open(os.path.join(args.build, "install_manifest.txt"), encoding="utf-8",
              errors="surrogateescape") as f:
        destdir = os.environ.get("DESTDIR", "")
        files = [line[len(destdir):] for line in f.read().splitlines() if line]

    program_dir = os.path.join(prefix, PROGRAM_DIR)
    components = register_components(program_dir)

    registered = []
    link_dir = None
    if awkward:
        link_dir, links = link_launchers(prefix, data_home)
        registered += links
    entries = desktop_entries(link_dir) if link_dir else {}
    scripts = os.path.join(prefix, NAUTILUS_SCRIPTS)
    for path in files:
        rel = os.path.relpath(path, share)
        target = None
        if os.path.dirname(path) == scripts:
            target = os.path.join(data_home, "nautilus", "scripts", os.path.basename(path))
        elif copy_share and any(rel == tree or rel.startswith(tree + os.sep) for tree in SHARE_TREES):
            target = os.path.join(data_home, rel)
        if target is None:
            continue
        os.makedirs(os.path.dirname(target), exist_ok=True)
        name = os.path.basename(path)
        if rel.startswith("applications" + os.sep) and name in entries:
            write_file(target, entries[name], 0o644)
        else:
            shutil.copy2(path, target)
        registered.append(target)
    # Dolphin runs service menus from the user's folders only when they are executable.
    user_menus = os.path.join(data_home, "kio", "servicemenus")
    for path in files + registered:
        if os.path.dirname(path) == user_menus:
            os.chmod(path, 0o755)
    refresh_databases(data_home)
    default = set_default_application(config_home, earlier.get("mimeapps"))

    stale = [p for p in earlier.get("files", []) + earlier.get("registered", [])
             if p not in files and p not in registered and os.path.lexists(p)]
    for path in stale:  # what an earlier install had and this one no longer has
        os.remove(path)
    manifest = {
        "prefix": prefix,
        "files": files,
        "registered": registered,
        "created_dirs": sorted((candidates - before) | set(earlier.get("created_dirs", [])), key=len,
                               reverse=True),
        "components": components,
        "mimeapps": default,
        "data_home": data_home,
    }
    with open(os.path.join(program_dir, MANIFEST), "w", encoding="utf-8", errors="surrogateescape") as out:
        json.dump(manifest, out, indent=1)
    say(f"installed into {prefix}; {MIME_TYPE} (*.zqf) opens with Sealdesk /v")
    return 0


# ---- the suite's registry -----------------------------------------------------------------------------

def registry_text(data):
    """A value's data as text (the registry keeps strings as UTF-16 or UTF-8 bytes)."""
    if isinstance(data, str):
        return data
    for encoding in ("utf-16-le", "utf-8"):
        try:
            text = data.decode(encoding)
        except UnicodeDecodeError:
            continue
        if "\\" in text or "/" in text:
            return text
    return data.decode("utf-8", errors="replace")


def names_folder(text, folder):
    """True when registry text names a file in folder, in suite form (Z:\\...) or as a POSIX path."""
    posix = text.replace("\\", "/")
    for form in (folder, "Z:" + folder, "z:" + folder):
        if form + "/" in posix:
            return True
    return False


def forget_registrations(registry, program_dir):
    """Deletes from the suite's registry every key that names a file of program_dir (the .zqf type that
    Sealdesk registers on each start, and whatever class registration is left), then the keys that held
    only those. Returns how many keys went."""
    if not os.path.exists(registry):
        return 0
    import sqlite3
    db = sqlite3.connect(registry, timeout=10)
    try:
        with db:
            keys = {row[0]: (row[1], row[2]) for row in db.execute("SELECT id, parent, name FROM keys")}
            doomed = {key for key, data in db.execute("SELECT key, data FROM vals")
                      if names_folder(registry_text(data), program_dir)}
            # The file type goes whole: its name and its extension's key, when they lead to it.
            classes = 8
            for key, (parent, name) in keys.items():
                if parent == classes and name.lower() == PROG_ID.lower() and any(
                        k in doomed for k in subtree(keys, key)):
                    doomed.update(subtree(keys, key))
                    for ext, (p, n) in keys.items():
                        if p == classes and n.lower() == ".zqf":
                            doomed.update(subtree(keys, ext))
            # Parents left with neither values nor other subkeys go too (the roots, ids 1-8, stay).
            changed = True
            while changed:
                changed = False
                for key in list(doomed):
                    parent = keys[key][0]
                    if parent <= classes or parent in doomed:
                        continue
                    siblings = [k for k, (p, _) in keys.items() if p == parent and k not in doomed]
                    values = db.execute("SELECT COUNT(*) FROM vals WHERE key = ?", (parent,)).fetchone()[0]
                    if not siblings and not values:
                        doomed.add(parent)
                        changed = True
            for key in doomed:
                db.execute("DELETE FROM vals WHERE key = ?", (key,))
                db.execute("DELETE FROM keys WHERE id = ?", (key,))
        return len(doomed)
    finally:
        db.close()


def subtree(keys, root):
    result, todo = {root}, [root]
    while todo:
        parent = todo.pop()
        for key, (p, _) in keys.items():
            if p == parent and key not in result:
                result.add(key)
                todo.append(key)
    return result


def log_files(program_dir):
    """Where the programs log: beside themselves, or in the user's state folder when that is read-only."""
    return [os.path.join(program_dir, LOG_FILE), os.path.join(state_home(), "velmora", LOG_FILE)]


def purge(program_dir, data_home):
    """Removes the log files and the suite's registry, and the state folder when that leaves it empty."""
    registry = suite_folders(data_home)[0]
    for path in log_files(program_dir) + [registry + suffix for suffix in ("", "-journal", "-wal", "-shm")]:
        if os.path.lexists(path):
            os.remove(path)
    for folder in (os.path.join(state_home(), "velmora"), os.path.join(data_home, "velmora")):
        try:
            os.rmdir(folder)
        except OSError:
            pass  # not there, or something else of the suite's is still in it
    say("removed the log files and the suite's registry")


def uninstall(args):
    prefix = os.path.abspath(args.prefix)
    manifest = read_manifest(prefix)
    program_dir = os.path.join(prefix, PROGRAM_DIR)
    if manifest is None:
        if args.purge:
            purge(program_dir, xdg_home("XDG_DATA_HOME", ".local/share"))
            # What an earlier uninstall left for the log: the program folder and its parents, when empty.
            for folder in (program_dir, os.path.dirname(program_dir), prefix):
                try:
                    os.rmdir(folder)
                except OSError:
                    break
        say(f"nothing to uninstall: no Velmora installation at {prefix}")
        return 0
    data_home = manifest.get("data_home") or xdg_home("XDG_DATA_HOME", ".local/share")
    register_components(program_dir, unregister=True)
    registry, drive_c = suite_folders(data_home)
    forget_registrations(registry, program_dir)
    restore_default_application(manifest["mimeapps"])
    for path in manifest["registered"] + manifest["files"] + [os.path.join(program_dir, MANIFEST)]:
        if os.path.lexists(path):
            os.remove(path)
    if args.purge:
        purge(program_dir, data_home)
    # The databases the desktop tools wrote into folders this install made go with them.
    created = manifest["created_dirs"]
    mime_dir = os.path.join(data_home, "mime")
    packages = os.path.join(mime_dir, "packages")
    if mime_dir in created and not (os.path.isdir(packages) and os.listdir(packages)):
        shutil.rmtree(mime_dir, ignore_errors=True)
    apps_dir = os.path.join(data_home, "applications")
    if apps_dir in created and os.path.isdir(apps_dir) and set(os.listdir(apps_dir)) <= {"mimeinfo.cache"}:
        shutil.rmtree(apps_dir, ignore_errors=True)
    for folder in sorted(created, key=len, reverse=True):
        try:
            os.rmdir(folder)
        except OSError:
            pass  # not there, or not empty: something of the user's (or the log file) is in it
    refresh_databases(data_home)
    kept = [path for path in log_files(program_dir) if os.path.exists(path)]
    if kept:
        say(f"kept the log file {' and '.join(kept)} (--purge removes it, and the suite's registry)")
    say(f"uninstalled from {prefix}")
    return 0


def main():
    parser = argparse.ArgumentParser(description="Installs the suite as a desktop citizen.")
    commands = parser.add_subparsers(dest="command", required=True)
    gen = commands.add_parser("generate")
    gen.add_argument("--prefix", required=True)
    gen.add_argument("--out", required=True)
    gen.add_argument("--icons")
    inst = commands.add_parser("install")
    inst.add_argument("--prefix", required=True)
    inst.add_argument("--build", required=True)
    uninst = commands.add_parser("uninstall")
    uninst.add_argument("--prefix", required=True)
    uninst.add_argument("--purge", action="store_true",
                        help="also remove the log file and the suite's registry")
    args = parser.parse_args()
    return {"generate": generate, "install": install, "uninstall": uninstall}[args.command](args)


if __name__ == "__main__":
    sys.exit(main())
