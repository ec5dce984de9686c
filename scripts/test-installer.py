#!/usr/bin/env python3
"""The Windows package, installed and removed under Wine.

Per machine (the default) and per user, each in a fresh prefix:
  - the files land in the scope's folder (the x86_64 module in its x64\\), the classes in the
    scope's hive, the editors' add-in entries (VB6's, the VBA editor's for 32-bit and 64-bit
    Office) in the user's; the class of the i686 module is in the 32-bit registry view, that
    of the x86_64 module in the 64-bit view;
  - the IDE simulator creates "Quenlow.Connect" without registering anything itself and runs
    whole sessions: i686 as VB6 on examples/Example.vbp and as the VBA editor on an exported
    UserForm; x86_64 (64-bit Office) as the VBA editor;
  - installing in the other scope while one copy is there is refused with its message and
    changes nothing;
  - the installed quenlow.exe --version prints the package's version;
  - removal leaves the registry and the disk as they were before, apart from the Windows
    Installer's own empty containers (and keeps the IDE's other add-in entry);
  - the keys are those DllRegisterServer writes (compared with regsvr32's in the same place);
  - the package replaces an older one (major upgrade);
  - the package for 32-bit Windows is 32-bit and holds the i686 module only.
Wine 8 neither honours MSIINSTALLPERUSER nor merges HKCU\\Software\\Classes into
HKEY_CLASSES_ROOT: the per-user install is asked for with ALLUSERS="" (the per-user context
MSIINSTALLPERUSER=1 ALLUSERS=2 selects on Windows), and the per-user keys are proven complete
by a session in a throw-away prefix that has them copied under HKLM\\Software\\Classes.

On a machine that cannot run 32-bit programs (scripts/wine32.py), the Windows Installer and
the registry tools run under wine64 and the checks that start the installed i686 programs
(the i686 sessions, regsvr32's keys, quenlow.exe) are named as not run; the x86_64 module's
checks run everywhere.

Run by scripts/test.sh, which prepares the display and the template prefix; by hand after
it: DISPLAY=... python3 scripts/test-installer.py [--out OUT]
"""
import argparse
import os
import re
import shutil
import subprocess
import sys

import wine32

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# The 32-bit loader runs msiexec, regsvr32 and our programs as the IDE sees them; where the
# machine cannot run 32-bit programs, wine64 runs the installer and the registry tools.
WINE32 = "/usr/lib/wine/wine"
WINE64 = "/usr/lib/wine/wine64"
WINE = WINE32
LIBID = "{BFBC21D0-05CF-11D3-BA08-204C4F4F5020}"
IID_CONNECT = "{BFBC21D2-05CF-11D3-BA08-204C4F4F5020}"
CLSID_CONNECT = "{BFBC21D3-05CF-11D3-BA08-204C4F4F5020}"
ADDIN_KEY = r"HKCU\Software\Microsoft\Visual Basic\6.0\Addins\Quenlow.Connect"
VBA_KEYS = [r"HKCU\Software\Microsoft\VBA\VBE\6.0\Addins\Quenlow.Connect",
            r"HKCU\Software\Microsoft\VBA\VBE\6.0\Addins64\Quenlow.Connect"]
OTHER_ADDIN_KEY = r"HKCU\Software\Microsoft\Visual Basic\6.0\Addins\Other.Connect"
MACHINE_DIR = r"C:\Program Files (x86)\Tolvane"
USER_CLASSES = "hkcu\\software\\classes\\"
SHIPPED = ["Quenlow_AddIn.dll", os.path.join("x64", "Quenlow_AddIn.dll"), "quenlow.exe", "README.md", "LICENSE.txt"]
USERFORM = os.path.join(ROOT, "tests", "host_files_office", "fixtures", "Panel.frm")
# Wine rewrites these device values at every start.
VOLATILE = re.compile(r"^hklm\\system\\currentcontrolset\\control\\class\\")
# The Windows Installer's own stores keep their (empty) containers once used.
INSTALLER_STORES = re.compile(r"^(hklm\\software\\classes\\installer|hklm\\software\\microsoft\\windows"
                              r"\\currentversion\\installer|hkcu\\software\\microsoft\\installer)(\\|$)")

failures = []
not_run = []


def needs_32bit(what):
    """True where 32-bit programs run; else notes `what` as not run."""
    if WINE == WINE32:
        return True
    print("not run: " + what, flush=True)
    not_run.append(what)
    return False


def check(ok, what):
    print(("ok:   " if ok else "FAIL: ") + what, flush=True)
    if not ok:
        failures.append(what)
    return ok


# ---- the registry as Wine keeps it on disk ----

def decode(data):
    """A value of Wine's registry files: ('sz', text), ('dword', n) or ('raw', data)."""
    match = re.match(r'^(?:str\(2\):)?"(.*)"$', data)
    if match:
        text = re.sub(r"\\(.)", lambda m: {"n": "\n", "r": "\r", "t": "\t", "0": "\0"}.get(m.group(1), m.group(1)),
                      match.group(1))
        return ("sz", text)
    if data.startswith("dword:"):
        return ("dword", int(data[6:], 16))
    return ("raw", data)


def encode(value):
    kind, data = value
    if kind == "sz":
        return '"' + data.replace("\\", "\\\\").replace('"', '\\"') + '"'
    return "dword:%08x" % data if kind == "dword" else data


class Registry:
    """Keys by lower-case path ('hklm\\software\\...'), each {lower-case name: (name, value)};
    every ancestor of a stored key counts as a key."""

    def __init__(self, prefix):
        self.keys = {}
        self.names = {}
        for file_name, hive in (("system.reg", "HKLM"), ("user.reg", "HKCU")):
            self._load(os.path.join(prefix, file_name), hive)

    def _load(self, path, hive):
        values, pending = None, None
        with open(path, encoding="utf-8", errors="replace") as registry:
            for line in registry:
                line = line.rstrip("\n")
                if pending is not None:  # a hex value continued on the next line
                    line, pending = pending + line.strip(), None
                if line.endswith("\\") and "=hex" in line:
                    pending = line[:-1]
                    continue
                header = re.match(r"^\[(.*)\](?: \d+)?$", line)
                if header:
                    values = self._add(hive + "\\" + header.group(1).replace("\\\\", "\\"))
                elif values is not None and line and line[0] in '@"':
                    name, data = ("@", line[2:]) if line.startswith("@=") else \
                        re.match(r'^"((?:[^"\\]|\\.)*)"=(.*)$', line).groups()
                    values[name.lower()] = (name, decode(data))

    def _add(self, path):
        parts = path.split("\\")
        for end in range(1, len(parts) + 1):
            key = "\\".join(parts[:end])
            self.keys.setdefault(key.lower(), {})
            self.names.setdefault(key.lower(), key)
        return self.keys[path.lower()]

    def value(self, key, name="@"):
        entry = self.keys.get(key.lower(), {}).get(name.lower())
        return entry[1][1] if entry else None

    def user_classes(self):
        """HKCU\\Software\\Classes, by path below it."""
        return {key[len(USER_CLASSES):]: values for key, values in self.keys.items() if key.startswith(USER_CLASSES)}

    def classes32(self, base="hklm\\software\\classes\\"):
        """Software\\Classes (HKLM's, or another's) as a 32-bit program sees it: the redirected
        keys from Wow6432Node, the others shared."""
        view = {}
        for key, values in self.keys.items():
            if key.startswith(base + "wow6432node\\"):
                view[key[len(base) + len("wow6432node\\"):]] = values
            elif key.startswith(base) and key[len(base):] not in view:
                view.setdefault(key[len(base):], values)
        return view

    def classes64(self, base="hklm\\software\\classes\\"):
        """The same as a 64-bit program sees it: everything but Wow6432Node."""
        return {key[len(base):]: values for key, values in self.keys.items()
                if key.startswith(base) and not key.startswith(base + "wow6432node")}


def ours(keys, install_dir=None):
    """The keys of `keys` (path -> values) that belong to the add-in, with the install
    folder written as <DIR>, as {path: {name: value}}."""
    marks = (LIBID.lower(), IID_CONNECT.lower(), CLSID_CONNECT.lower(), "quenlow.connect")
    found = {}
    for key, values in keys.items():
        if any(mark in key for mark in marks):
            found[key] = {name: (kind, data.replace(install_dir, "<DIR>") if install_dir and kind == "sz" else data)
                          for name, (_, (kind, data)) in values.items()}
    return found


def differences(before, after):
    """Keys and values that differ, apart from Wine's device data and empty containers of
    the Windows Installer's stores."""
    lines = []
    for key in sorted(set(before.keys) | set(after.keys)):
        if VOLATILE.match(key):
            continue
        old, new = before.keys.get(key), after.keys.get(key)
        if old is None or new is None:
            if INSTALLER_STORES.match(key) and not (old or new):
                continue
            lines.append(("added " if old is None else "removed ") + (after if old is None else before).names[key])
            continue
        for name in sorted(set(old) | set(new)):
            if old.get(name) != new.get(name):
                lines.append("changed %s : %s" % (before.names[key], name))
    return lines


# ---- prefixes ----

class Prefix:
    def __init__(self, template, path):
        self.path = path
        if os.path.exists(path):
            shutil.rmtree(path)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        subprocess.run(["cp", "-a", template, path], check=True)
        self.env = dict(os.environ, WINEPREFIX=path)

    def run(self, *argv, timeout=300, wine=None):
        return subprocess.run([wine or WINE, *argv], env=self.env, capture_output=True, timeout=timeout)

    def settle(self):
        """Lets the wineserver write the registry to disk."""
        subprocess.run(["wineserver", "-w"], env=self.env, check=True)

    def unix(self, windows_path):
        assert windows_path[:3].upper() == "C:\\"
        return os.path.join(self.path, "drive_c", *windows_path[3:].split("\\"))

    def snapshot(self):
        self.settle()
        files = set()
        for folder, dirs, names in os.walk(os.path.join(self.path, "drive_c")):
            rel = os.path.relpath(folder, os.path.join(self.path, "drive_c"))
            files.update(os.path.join(rel, name) for name in dirs + names)
        return Registry(self.path), files

    def user_dir(self):
        users = os.path.join(self.path, "drive_c", "users")
        name = next(n for n in sorted(os.listdir(users)) if n != "Public")
        return "C:\\users\\" + name

    def remove(self):
        subprocess.run(["wineserver", "-k"], env=self.env)
        shutil.rmtree(self.path, ignore_errors=True)


def windows_path(unix_path):
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")


# ---- the checks ----

def msiexec(prefix, *args):
    result = prefix.run("msiexec", *args, "/qn")
    return check(result.returncode == 0, "msiexec %s -> %d" % (" ".join(args), result.returncode))


# The sessions a package must carry: (module, editor, project, what the run prints).
SESSIONS = [
    ("i686", "VB6", os.path.join(ROOT, "examples", "Example.vbp"),
     ["--click", "--pick", "Form1", "--tick", "Command1", "--generate", "--exit"],
     ["    Command1.Left = Me.ScaleWidth - (iFormScaleWidth - iCommand1_Left)"]),
    ("i686", "VBA", USERFORM, ["--click", "--pick", "Panel", "--exit"], ["editor: VBA", "rows of Panel in view (15): ctlOther"]),
    ("x86_64", "VBA", USERFORM, ["--click", "--pick", "Panel", "--exit"], ["editor: VBA", "rows of Panel in view (15): ctlOther"]),
]


def expect_sessions(args, prefix, where, arches=("i686", "x86_64")):
    """The IDE simulator creates the add-in by its ProgID (nothing registered by itself) and
    runs sessions: menu item, window, pick (VB6: generate), exit."""
    for arch, editor, project, options, printed in SESSIONS:
        what = "a whole %s session of the %s module %s" % (editor, arch, where)
        if arch not in arches or (arch == "i686" and not needs_32bit(what)):
            continue
        wine = WINE32 if arch == "i686" else WINE64
        result = prefix.run(args.ide_sim[arch], windows_path(project), *options, wine=wine)
        out = result.stdout.decode("utf-8", "replace")
        wanted = ["create Quenlow.Connect: 0x00000000", "message boxes: 0", "objects still held: 0"] + printed
        missing = [line for line in wanted if line not in out]
        if not check(result.returncode == 0 and not missing, what):
            print(out + result.stderr.decode("utf-8", "replace"))


def expect_version(prefix, folder, version):
    if not needs_32bit("the installed quenlow.exe --version in " + folder):
        return
    result = prefix.run(prefix.unix(folder + "\\quenlow.exe"), "--version")
    out = result.stdout.decode("utf-8", "replace")
    check(result.returncode == 0 and out == "quenlow %s (Tolvane %s)\n" % (version, ".".join(version.split(".")[:2])),
          "the installed quenlow.exe --version says %r" % out)


def expect_files(prefix, folder, added):
    rel = os.path.relpath(prefix.unix(folder), os.path.join(prefix.path, "drive_c"))
    wanted = {os.path.join(rel, name) for name in SHIPPED}
    check(wanted <= added, "the files are in %s" % folder)


# Folders that may be left empty: the Windows Installer's own stores and the user's program
# folder (%LOCALAPPDATA%\Programs), which Windows provides for every per-user program.
KEPT_FOLDERS = re.compile(r"^(windows/Installer|users/[^/]+/AppData/Roaming/Microsoft/Installer"
                          r"|users/[^/]+/AppData/Local/Programs)$")


def expect_nothing_left(before, after, what):
    lines = differences(before[0], after[0])
    stray = sorted(path for path in after[1] ^ before[1] if not KEPT_FOLDERS.match(path))
    check(not lines and not stray, "removing %s leaves the registry and the disk as they were" % what)
    for line in lines + ["file " + path for path in stray]:
        print("      " + line)
    check(after[0].value(OTHER_ADDIN_KEY, "FriendlyName") == "Other", "the IDE's other add-in entry is kept")


def expect_addin_entry(registry):
    entry = {"FriendlyName": "Quenlow", "Description": "Generates code to resize controls", "LoadBehavior": 0,
             "CommandLineSafe": 1}
    check(all(registry.value(ADDIN_KEY, name) == value for name, value in entry.items()),
          "the IDE's add-in entry: " + ", ".join("%s %r" % item for item in entry.items()))
    vba = {"FriendlyName": "Quenlow", "Description": "Generates code to resize controls", "LoadBehavior": 3}
    for key in VBA_KEYS:
        check(all(registry.value(key, name) == value for name, value in vba.items())
              and registry.value(key, "CommandLineSafe") is None,
              "the VBA editor's entry %s: %s" % (key.split("\\")[-2], ", ".join("%s %r" % item for item in vba.items())))


def seed_ide(prefix):
    """What the IDE itself keeps, which removal must leave alone."""
    prefix.run("reg", "add", OTHER_ADDIN_KEY, "/v", "FriendlyName", "/d", "Other", "/f")


def per_machine(args, package):
    print("\n-- per machine", flush=True)
    prefix = Prefix(args.template, os.path.join(args.work, "machine"))
    seed_ide(prefix)
    before = prefix.snapshot()
    msiexec(prefix, "/i", windows_path(package.msi))
    registry, files = prefix.snapshot()
    expect_files(prefix, MACHINE_DIR, files - before[1])
    dll, dll64 = MACHINE_DIR + "\\Quenlow_AddIn.dll", MACHINE_DIR + "\\x64\\Quenlow_AddIn.dll"
    check(registry.value(r"HKLM\Software\Classes\Wow6432Node\CLSID\%s\InprocServer32" % CLSID_CONNECT) == dll
          and registry.value(r"HKLM\Software\Classes\CLSID\%s\InprocServer32" % CLSID_CONNECT) == dll64,
          "the class is in HKLM\\Software\\Classes, served by %s in the 32-bit view and %s in the 64-bit view"
          % (dll, dll64))
    check(registry.value(r"HKLM\Software\Classes\Quenlow.Connect\CLSID") == CLSID_CONNECT, "the ProgID leads to the class")
    check(not ours(registry.user_classes()), "nothing in HKCU\\Software\\Classes")
    expect_addin_entry(registry)
    package_keys = ours(registry.classes32(), MACHINE_DIR)
    keys64 = ours(registry.classes64(), MACHINE_DIR)
    expect_sessions(args, prefix, "installed per machine")
    expect_version(prefix, MACHINE_DIR, package.version)
    msiexec(prefix, "/x", windows_path(package.msi))
    expect_nothing_left(before, prefix.snapshot(), "the package")
    compare_with_regsvr32(args, prefix, package_keys)
    upgrade(prefix, package, before)
    prefix.remove()
    return package_keys, keys64


def compare_with_regsvr32(args, prefix, package_keys):
    """The same module registered by regsvr32 in the same place writes the same keys, apart
    from two values Wine's RegisterTypeLib writes its own way (FLAGS with the disk-image bit 8,
    which Windows leaves out; HELPDIR without the final backslash)."""
    if not needs_32bit("the package's classes compared with those regsvr32 writes"):
        return
    dll = MACHINE_DIR + "\\Quenlow_AddIn.dll"
    os.makedirs(prefix.unix(MACHINE_DIR), exist_ok=True)
    shutil.copy(os.path.join(args.i686, "connect", "server", "Quenlow_AddIn.dll"), prefix.unix(dll))
    prefix.run("regsvr32", "/s", dll)
    registered = ours(prefix.snapshot()[0].classes32(), MACHINE_DIR)
    # The type library's key is one for both views: its win64 path is the x86_64 module's.
    package_keys = {key: values for key, values in package_keys.items() if not key.endswith("\\win64")}
    library = "typelib\\%s\\1.0\\" % LIBID.lower()
    for key, wine_value, windows_value in (("flags", "8", "0"), ("helpdir", "<DIR>", "<DIR>\\")):
        if registered.get(library + key, {}).get("@") == ("sz", wine_value):
            registered[library + key]["@"] = ("sz", windows_value)
    if not check(package_keys == registered, "the package's classes are those DllRegisterServer writes"):
        for key in sorted(set(package_keys) | set(registered)):
            if package_keys.get(key) != registered.get(key):
                print("      %s\n        package  %s\n        regsvr32 %s" % (key, package_keys.get(key), registered.get(key)))
    prefix.run("regsvr32", "/u", "/s", dll)
    shutil.rmtree(prefix.unix(MACHINE_DIR))


def upgrade(prefix, package, before):
    """The package over an older one (same upgrade code) leaves one product: itself."""
    msiexec(prefix, "/i", windows_path(package.older_msi))
    msiexec(prefix, "/i", windows_path(package.msi))
    registry = prefix.snapshot()[0]
    uninstall = re.compile(r"^hklm\\software\\(wow6432node\\)?microsoft\\windows\\currentversion\\uninstall\\")
    products = [registry.value(key, "DisplayVersion") for key in registry.keys
                if uninstall.match(key) and registry.value(key, "DisplayName") == "Tolvane"]
    check(products == [package.version], "after an upgrade from an older package, one Tolvane is installed: %s" % products)
    msiexec(prefix, "/x", windows_path(package.msi))
    expect_nothing_left(before, prefix.snapshot(), "the upgraded package")


def per_user(args, package, machine_keys):
    print("\n-- per user", flush=True)
    prefix = Prefix(args.template, os.path.join(args.work, "user"))
    seed_ide(prefix)
    before = prefix.snapshot()
    msiexec(prefix, "/i", windows_path(package.msi), "ALLUSERS=")
    registry, files = prefix.snapshot()
    folder = prefix.user_dir() + r"\AppData\Local\Programs\Tolvane"
    expect_files(prefix, folder, files - before[1])
    # Wine keeps one HKCU\\Software\\Classes for both views (Windows redirects its CLSID and
    # Interface keys for 32-bit programs, as HKLM's): there each key holds what one module's
    # component wrote, the x86_64 one's where both write it.
    user_keys = ours(registry.user_classes(), folder)
    machine32, machine64 = machine_keys
    check(user_keys == {**machine32, **machine64},
          "HKCU\\Software\\Classes holds the classes the per-machine package writes (both views in one, in Wine)")
    check(not ours(registry.classes32()) and not ours(registry.classes64()), "nothing in HKLM\\Software\\Classes")
    expect_addin_entry(registry)
    expect_version(prefix, folder, package.version)
    msiexec(prefix, "/x", windows_path(package.msi), "ALLUSERS=")  # Wine, unlike Windows, must be told again
    expect_nothing_left(before, prefix.snapshot(), "the per-user package")
    prefix.remove()
    prove_user_classes_complete(args, machine32, folder, "i686")
    prove_user_classes_complete(args, machine64, folder, "x86_64")


def prove_user_classes_complete(args, view_keys, folder, arch):
    """One view's classes with the per-user folder (what HKCU\\Software\\Classes holds for
    that view on Windows), copied under HKLM\\Software\\Classes by a program of that view (as
    Windows merges them into HKEY_CLASSES_ROOT), and the module in the per-user folder are all
    the editor needs."""
    if arch == "i686" and not needs_32bit("the i686 sessions over the per-user classes"):
        return
    proof = Prefix(args.template, os.path.join(args.work, "user-proof-" + arch))
    lines = ["REGEDIT4", ""]
    for key in sorted(view_keys):
        lines.append("[HKEY_LOCAL_MACHINE\\Software\\Classes\\%s]" % key)
        for name, (kind, value) in sorted(view_keys[key].items()):
            value = value.replace("<DIR>", folder) if kind == "sz" else value
            lines.append(("@" if name == "@" else '"%s"' % name) + "=" + encode((kind, value)))
        lines.append("")
    with open(proof.unix("C:\\per-user-classes.reg"), "w", encoding="ascii") as out:
        out.write("\r\n".join(lines))
    wine = WINE32 if arch == "i686" else WINE64
    proof.run("regedit", "/S", "C:\\per-user-classes.reg", wine=wine)
    module = folder if arch == "i686" else folder + "\\x64"
    os.makedirs(proof.unix(module))
    shutil.copy(os.path.join(args.out, arch, "connect", "server", "Quenlow_AddIn.dll"), proof.unix(module))
    expect_sessions(args, proof, "over its per-user classes copied to HKLM in a throw-away prefix", (arch,))
    proof.remove()


def one_copy(args, package):
    """With the package installed in one scope, installing it in the other is refused with
    its message and changes nothing; removing the first then leaves nothing."""
    print("\n-- one copy per user", flush=True)
    prefix = Prefix(args.template, os.path.join(args.work, "scopes"))
    seed_ide(prefix)
    before = prefix.snapshot()
    # Wine's Windows Installer logs no launch condition's message: the package's own say them.
    conditions = subprocess.run(["msiinfo", "export", package.msi, "LaunchCondition"], check=True,
                                capture_output=True, text=True).stdout
    cases = ((["ALLUSERS="], [], "per user", "per machine", "already installed for you alone"),
             ([], ["ALLUSERS="], "per machine", "per user", "already installed for every user"))
    for _, _, installed_as, asked_as, message in cases:
        check(message in conditions, "installing %s where a copy is installed %s says: %r" % (asked_as, installed_as, message))
    for first, second, installed_as, asked_as, _ in cases:
        msiexec(prefix, "/i", windows_path(package.msi), *first)
        installed = prefix.snapshot()
        result = prefix.run("msiexec", "/i", windows_path(package.msi), *second, "/qn")
        check(result.returncode != 0, "installed %s, installing %s is refused (exit %d)"
              % (installed_as, asked_as, result.returncode))
        after = prefix.snapshot()
        lines = differences(installed[0], after[0])
        stray = sorted(after[1] ^ installed[1])
        check(not lines and not stray, "the refused install changes nothing")
        for line in lines + ["file " + path for path in stray]:
            print("      " + line)
        msiexec(prefix, "/x", windows_path(package.msi), *first)
        expect_nothing_left(before, prefix.snapshot(), "the package installed %s" % installed_as)
    prefix.remove()


def package_for_32bit_windows(package):
    """The package for 32-bit Windows is a 32-bit package: the i686 module and its entries only."""
    print("\n-- the package for 32-bit Windows", flush=True)
    msi = package.msi.replace(".msi", "-x86.msi")
    export = lambda table: subprocess.run(["msiinfo", "export", msi, table], check=True, capture_output=True,
                                          text=True).stdout
    template = re.search(r"Template: (.*)", subprocess.run(["msiinfo", "suminfo", msi], check=True, capture_output=True,
                                                          text=True).stdout).group(1)
    components = [line.split("\t") for line in export("Component").splitlines()[3:]]
    check(template.startswith("Intel;") and all(int(row[3]) & 256 == 0 for row in components),
          "%s is a 32-bit package (Template %s), of 32-bit components only" % (os.path.basename(msi), template))
    files = [line.split("\t")[2] for line in export("File").splitlines()[3:]]
    check(sorted(files) == sorted(["Quenlow_AddIn.dll", "quenlow.exe", "README.md", "LICENSE.txt"]),
          "it ships the i686 module, quenlow.exe and the documents: %s" % sorted(files))
    registry = export("Registry")
    check("Addins64" not in registry and "VBA\\VBE\\6.0\\Addins\\Quenlow.Connect" in registry,
          "it writes the 32-bit VBA editor's entry, not 64-bit Office's")


class Package:
    """The package under test, and an older one with the same files for the upgrade."""

    def __init__(self, out):
        script = os.path.join(ROOT, "scripts", "package.sh")
        env = dict(os.environ, TOLVANE_OUT=out)
        build = lambda *extra: subprocess.run(["bash", script, *extra], env=env, check=True, capture_output=True,
                                              text=True).stdout.split()[-1]
        self.msi = build()
        self.older_msi = build("--version", "0.9.0")
        properties = subprocess.run(["msiinfo", "export", self.msi, "Property"], check=True, capture_output=True,
                                    text=True).stdout
        self.version = re.search(r"^ProductVersion\t(.*)$", properties, re.M).group(1)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    out = os.environ.get("TOLVANE_OUT", os.path.join(ROOT, "out"))
    parser.add_argument("--out", default=out, help="build output folder (default: out/ or $TOLVANE_OUT)")
    args = parser.parse_args()
    args.out = os.path.abspath(args.out)
    global WINE
    try:
        runs32, why = wine32.runs_32bit()
    except wine32.ProbeError as error:
        sys.exit("test-installer: " + str(error))
    if not runs32:
        WINE = "/usr/lib/wine/wine64"
        print("test-installer: %s; the installer runs under wine64" % why)
    args.i686 = os.path.join(args.out, "i686")
    args.template = os.path.join(args.out, "wine", "template")
    args.work = os.path.join(args.out, "wine", "installer")
    args.ide_sim = {arch: os.path.join(args.out, arch, "tools", "ide-sim", "ide-sim.exe") for arch in ("i686", "x86_64")}
    if not os.environ.get("DISPLAY") or not os.path.isdir(args.template):
        sys.exit("test-installer: needs DISPLAY and the prefix %s (scripts/test.sh makes both)" % args.template)

    package = Package(args.out)
    print("package: %s, version %s" % (package.msi, package.version))
    machine_keys = per_machine(args, package)
    per_user(args, package, machine_keys)
    one_copy(args, package)
    package_for_32bit_windows(package)
    for msi in (package.older_msi, package.older_msi.replace(".msi", "-x86.msi")):
        os.remove(msi)
    if failures:
        sys.exit("test-installer: %d check(s) failed" % len(failures))
    if not_run:
        print("\ntest-installer: all checks passed; not run here: %d check(s) that start 32-bit programs" % len(not_run))
    else:
        print("\ntest-installer: all checks passed")


if __name__ == "__main__":
    main()
