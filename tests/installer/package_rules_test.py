#!/usr/bin/env python3
"""Checks a built package's tables against Windows Installer's own rules.

    package_rules_test.py MSIINFO PACKAGE.msi

WiX's light validates every package it builds with Windows Installer's
Internal Consistency Evaluators (ICEs); wixl runs none, and Wine's Windows
Installer accepts much that Windows refuses. This reads the package's tables
with msitools and checks the rules that concern what this package holds:
the sequences (ICE27, ICE63, ICE82 and the cache removal's place), the
Upgrade table (ICE61 and its Remove list) and the per-machine Start-menu
shortcuts (ICE18, ICE38, ICE43, ICE57, ICE64, ICE90, ICE91). Each failure names its
rule and the row; the exit status is the number of failures.
"""

import subprocess
import sys

# Standard actions in the order Microsoft documents them ("Suggested
# InstallExecuteSequence", "Suggested InstallUISequence"); ICE27 checks this
# order and the sections it makes. FindRelatedProducts "must come before the
# MigrateFeatureStates action and the RemoveExistingProducts action";
# MigrateFeatureStates follows CostFinalize; ExecuteAction ends the UI
# sequence.
STANDARD_ORDER = """
    FindRelatedProducts LaunchConditions AppSearch CCPSearch RMCCPSearch
    ValidateProductID CostInitialize FileCost CostFinalize MigrateFeatureStates
    SetODBCFolders ExecuteAction InstallValidate InstallInitialize
    AllocateRegistrySpace ProcessComponents UnpublishComponents
    UnpublishFeatures StopServices DeleteServices UnregisterComPlus
    SelfUnregModules UnregisterTypeLibraries RemoveODBC UnregisterFonts
    RemoveRegistryValues UnregisterClassInfo UnregisterExtensionInfo
    UnregisterProgIdInfo UnregisterMIMEInfo RemoveIniValues RemoveShortcuts
    RemoveEnvironmentStrings RemoveDuplicateFiles RemoveFiles RemoveFolders
    CreateFolders MoveFiles InstallFiles PatchFiles DuplicateFiles BindImage
    CreateShortcuts RegisterClassInfo RegisterExtensionInfo RegisterProgIdInfo
    RegisterMIMEInfo WriteRegistryValues WriteIniValues WriteEnvironmentStrings
    RegisterFonts InstallODBC RegisterTypeLibraries SelfRegModules
    RegisterComPlus InstallServices StartServices RegisterUser RegisterProduct
    PublishComponents PublishFeatures PublishProduct InstallFinalize
""".split()

SEQUENCE_TABLES = ["InstallExecuteSequence", "InstallUISequence",
                   "AdminExecuteSequence", "AdminUISequence",
                   "AdvtExecuteSequence"]

# The package's own custom action that lists the cache for RemoveFiles:
# before CostInitialize (installer/zelvora.wxs says why).
CACHE_REMOVAL = "ScheduleCacheRemoval"

# Folders in a user's profile. The first group follows ALLUSERS (with
# ALLUSERS=1 Windows Installer resolves it in the All Users profile, e.g.
# ProgramMenuFolder property); the second never does (ICE91's list).
ALLUSERS_PROFILE_FOLDERS = {
    "ProgramMenuFolder", "StartMenuFolder", "DesktopFolder", "StartupFolder",
    "TemplateFolder", "AdminToolsFolder", "CommonAppDataFolder"}
PER_USER_ONLY_FOLDERS = {
    "AppDataFolder", "FavoritesFolder", "NetHoodFolder", "PersonalFolder",
    "PrintHoodFolder", "RecentFolder", "SendToFolder", "MyPicturesFolder",
    "LocalAppDataFolder"}
PROFILE_FOLDERS = (ALLUSERS_PROFILE_FOLDERS | PER_USER_ONLY_FOLDERS) - {
    "CommonAppDataFolder"}

# Column bits (Upgrade table, Component table).
UPGRADE_ONLY_DETECT = 0x2
UPGRADE_VERSION_MAX_INCLUSIVE = 0x200
COMPONENT_REGISTRY_KEY_PATH = 0x4
HKCU = "1"


class Package:
    def __init__(self, msiinfo, path):
        self.msiinfo = msiinfo
        self.path = path
        listing = self._run("tables")
        self.table_names = set(listing.split())
        self.tables = {}

    def _run(self, command, *args):
        result = subprocess.run([self.msiinfo, command, self.path, *args],
                                capture_output=True, text=True)
        if result.returncode != 0:
            sys.exit(f"msiinfo {command} {self.path} {' '.join(args)} "
                     f"failed: {result.stderr.strip()}")
        return result.stdout

    def rows(self, name):
        """The table's rows as dicts; none for a table the package lacks.
        msiinfo export writes the column names, their types and the table's
        name and keys, then one tab-separated row per line."""
        if name not in self.table_names:
            return []
        if name not in self.tables:
            lines = self._run("export", name).replace("\r", "").split("\n")
            columns = lines[0].split("\t")
            self.tables[name] = [dict(zip(columns, line.split("\t")))
                                 for line in lines[3:] if line]
        return self.tables[name]


def sequence(package, table):
    return {row["Action"]: int(row["Sequence"])
            for row in package.rows(table) if row["Sequence"]}


def check_sequences(package, fail):
    for table in SEQUENCE_TABLES:
        actions = sequence(package, table)
        # ICE82: "two actions with the same sequence number".
        by_number = {}
        for action, number in sorted(actions.items()):
            if number in by_number:
                fail(f"ICE82: {table}: {action} has the sequence number "
                     f"{number} of {by_number[number]}")
            by_number.setdefault(number, action)
        # ICE27: standard actions in their documented order.
        standard = [a for a in STANDARD_ORDER if a in actions]
        for earlier, later in zip(standard, standard[1:]):
            if actions[earlier] >= actions[later]:
                fail(f"ICE27: {table}: {later} ({actions[later]}) must come "
                     f"after {earlier} ({actions[earlier]})")

    execute = sequence(package, "InstallExecuteSequence")
    cost = execute.get("CostInitialize")
    if CACHE_REMOVAL not in execute:
        fail(f"InstallExecuteSequence: no {CACHE_REMOVAL}")
    elif cost is None or execute[CACHE_REMOVAL] >= cost:
        fail(f"InstallExecuteSequence: {CACHE_REMOVAL} "
             f"({execute[CACHE_REMOVAL]}) must come before CostInitialize "
             f"({cost}): the rows it adds must exist before costing")

    # ICE63: RemoveExistingProducts between InstallValidate and
    # InstallInitialize, right after InstallInitialize, right after
    # InstallExecute or InstallExecuteAgain (before InstallFinalize), or
    # after InstallFinalize.
    for table in ["InstallExecuteSequence"]:
        actions = sequence(package, table)
        if "RemoveExistingProducts" not in actions:
            continue
        at = actions["RemoveExistingProducts"]
        ordered = sorted(actions, key=actions.get)
        before = ordered[ordered.index("RemoveExistingProducts") - 1]
        ok = (actions.get("InstallValidate", at) < at <
              actions.get("InstallInitialize", -1) or
              before in ("InstallInitialize", "InstallExecute",
                         "InstallExecuteAgain") and
              at < actions.get("InstallFinalize", at + 1) or
              at > actions.get("InstallFinalize", at))
        if not ok:
            fail(f"ICE63: {table}: RemoveExistingProducts ({at}) follows "
                 f"{before} ({actions[before]}), where it may not be")


def version(text):
    return tuple(int(part) for part in text.split("."))


def check_upgrade(package, fail):
    properties = {row["Property"]: row["Value"]
                  for row in package.rows("Property")}
    secure = set(properties.get("SecureCustomProperties", "").split(";"))
    features = sorted(row["Feature"] for row in package.rows("Feature"))
    product_version = version(properties["ProductVersion"])
    seen = set()
    for row in package.rows("Upgrade"):
        prop = row["ActionProperty"]
        name = f"Upgrade row {prop}"
        attributes = int(row["Attributes"] or 0)
        # ICE61.
        if prop in properties:
            fail(f"ICE61: {name}: {prop} is authored in the Property table")
        if prop != prop.upper():
            fail(f"ICE61: {name}: {prop} must not contain lowercase letters")
        if prop not in secure:
            fail(f"ICE61: {name}: {prop} must be in SecureCustomProperties")
        if prop in seen:
            fail(f"ICE61: {name}: {prop} is used by more than one row")
        seen.add(prop)
        low, high = row["VersionMin"], row["VersionMax"]
        if low and high and version(high) < version(low):
            fail(f"ICE61: {name}: VersionMax {high} is less than VersionMin "
                 f"{low}")
        if attributes & UPGRADE_ONLY_DETECT:
            continue
        if high and (version(high) > product_version or
                     version(high) == product_version and
                     attributes & UPGRADE_VERSION_MAX_INCLUSIVE):
            fail(f"ICE61: {name}: removes versions up to {high}, not only "
                 f"older ones than {properties['ProductVersion']}")
        # RemoveExistingProducts "sets the REMOVE property to the value in
        # the Remove field"; installer/upgrade_remove.cmake fills it with
        # every feature of the package, which REMOVE must name as they are.
        remove = sorted(row["Remove"].split(",")) if row["Remove"] else []
        if remove != features:
            fail(f"{name}: Remove is \"{row['Remove']}\", not the package's "
                 f"features \"{','.join(features)}\"")


def check_profile(package, fail):
    """The Start-menu folder and shortcuts: per machine, as ALLUSERS=1
    installs them."""
    properties = {row["Property"]: row["Value"]
                  for row in package.rows("Property")}
    per_machine = properties.get("ALLUSERS") == "1"
    parent = {row["Directory"]: row["Directory_Parent"]
              for row in package.rows("Directory")}

    def profile_root(directory):
        while directory:
            if directory in PROFILE_FOLDERS:
                return directory
            directory = parent.get(directory)
        return None

    # ICE64: a new folder in the profile is in the RemoveFile table.
    removed = {row["DirProperty"] for row in package.rows("RemoveFile")}
    for directory in parent:
        root = profile_root(directory)
        if root and directory != root and directory not in removed:
            fail(f"ICE64: Directory {directory} is in the user profile "
                 f"({root}) but is not listed in the RemoveFile table")

    components = {row["Component"]: row for row in package.rows("Component")}
    registry = package.rows("Registry")
    features = {row["Feature"] for row in package.rows("Feature")}
    shortcuts = package.rows("Shortcut")
    files = package.rows("File")
    for shortcut in shortcuts:
        directory = shortcut["Directory_"]
        # ICE90: a public property as a profile shortcut's folder.
        if profile_root(directory) and directory == directory.upper():
            fail(f"ICE90: Shortcut {shortcut['Shortcut']}: its folder "
                 f"{directory} is a public property in the user profile")
    # ICE91: per-user-only folders ignore ALLUSERS.
    for kind, rows, key, where in (
            ("File", files, "File",
             lambda row: components[row["Component_"]]["Directory_"]),
            ("Shortcut", shortcuts, "Shortcut",
             lambda row: row["Directory_"])):
        for row in rows:
            root = profile_root(where(row))
            if root in PER_USER_ONLY_FOLDERS:
                fail(f"ICE91: {kind} {row[key]} is installed to the per-user "
                     f"folder {root}, which does not follow ALLUSERS")

    # ICE38, ICE43, ICE57: a component in the profile, or with a shortcut
    # that is not advertised (its Target no feature), keeps per-user and
    # per-machine data apart. Per user, its key path must be an HKCU
    # registry key (ICE38, ICE43); per machine (ALLUSERS=1, where the
    # Start menu is the All Users one) it must hold no HKCU data (ICE57).
    # ICE18: a component whose key path is its folder (KeyPath null) and
    # that neither installs nor removes a file there keeps the folder in the
    # CreateFolder table, else the installer takes it for absent.
    with_files = {row["Component_"] for row in files}
    removing = {(row["Component_"], row["DirProperty"])
                for row in package.rows("RemoveFile")}
    creating = {(row["Component_"], row["Directory_"])
                for row in package.rows("CreateFolder")}
    for name, row in components.items():
        here = (name, row["Directory_"])
        if (not row["KeyPath"] and name not in with_files and
                here not in removing and here not in creating):
            fail(f"ICE18: Component {name}: its key path is the folder "
                 f"{row['Directory_']}, which the CreateFolder table lacks")

    concerned = {name for name, row in components.items()
                 if profile_root(row["Directory_"])}
    concerned |= {row["Component_"] for row in shortcuts
                  if row["Target"] not in features}
    for name in sorted(concerned):
        row = components[name]
        hkcu = {entry["Registry"] for entry in registry
                if entry["Component_"] == name and entry["Root"] == HKCU}
        if per_machine:
            if hkcu:
                fail(f"ICE57: Component {name} installs per machine and "
                     f"writes per-user registry data ({', '.join(hkcu)})")
        elif not (int(row["Attributes"] or 0) & COMPONENT_REGISTRY_KEY_PATH
                  and row["KeyPath"] in hkcu):
            fail(f"ICE38/ICE43: Component {name} installs to the user "
                 f"profile or has non-advertised shortcuts: its KeyPath "
                 f"must be a registry key under HKCU, not "
                 f"\"{row['KeyPath']}\" (ALLUSERS is not 1)")


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    package = Package(sys.argv[1], sys.argv[2])
    failures = []
    for check in (check_sequences, check_upgrade, check_profile):
        check(package, failures.append)
    for failure in failures:
        print(f"{package.path}: {failure}")
    if not failures:
        print(f"{package.path}: keeps the rules checked here")
    return len(failures)


if __name__ == "__main__":
    sys.exit(main())
