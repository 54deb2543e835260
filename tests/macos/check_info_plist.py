#!/usr/bin/env python3
"""What of Torvale.app needs no Mac: its Info.plist template, icon and localisations.
  check_info_plist.py INFO_PLIST_TEMPLATE"""

import pathlib, plistlib, re, sys

ENTRY = re.compile(r'\s*"((?:[^"\\]|\\.)*)"\s*=\s*"(?:[^"\\]|\\.)*"\s*;\s*$')
CALL = re.compile(r"NSLocalizedString\(\s*(@\"((?:[^\"\\]|\\.)*)\")?")
# ${NAME} is read as NAME, so a CMake place stands apart from a hard-coded value.
# What LaunchServices needs to start the bundle and hand it torvale:// links.
EXPECTED = {"CFBundleExecutable": "MACOSX_BUNDLE_EXECUTABLE_NAME", "CFBundlePackageType": "APPL",
            "NSPrincipalClass": "NSApplication", "CFBundleIconFile": "torvale",
            "LSMinimumSystemVersion": "CMAKE_OSX_DEPLOYMENT_TARGET",
            "CFBundleIdentifier": "MACOSX_BUNDLE_GUI_IDENTIFIER"}


def keys(path):
    return {entry[1] for entry in map(ENTRY.match, path.read_text("utf-8").splitlines()) if entry}


template = pathlib.Path(sys.argv[1])
macos = template.parent
source = macos.parents[2]
info = plistlib.loads(re.sub(r"\$\{(\w+)\}", r"\1", template.read_text("utf-8")).encode())
problems = [f"{key} is {info.get(key)!r}, not {value!r}" for key, value in EXPECTED.items()
            if info.get(key) != value]
if not info.get("NSDocumentsFolderUsageDescription"):
    problems.append("no NSDocumentsFolderUsageDescription")
url_types = info.get("CFBundleURLTypes", [])
schemes = [s for url_type in url_types for s in url_type.get("CFBundleURLSchemes", [])]
if schemes != ["torvale"]:
    problems.append(f"URL schemes are {schemes}, not exactly ['torvale']")
icon = source / "data/icons/torvale.icns"
if not icon.exists() or icon.read_bytes()[:4] != b"icns":
    problems.append(f"{icon} is not an .icns file (scripts/render-icon)")

used = {}
for code in sorted(macos.glob("*.mm")):
    for n, line in enumerate(code.read_text("utf-8").splitlines(), 1):
        for call in CALL.finditer(line):
            if call[1] is None:
                problems.append(f"{code}:{n}: NSLocalizedString without a literal key")
            else:
                used.setdefault(call[2], f"{code.name}:{n}")
for name in ["InfoPlist.strings", "Localizable.strings"]:
    en, zh = (keys(macos / f"{lang}.lproj" / name) for lang in ["en", "zh-Hans"])
    if en != zh:
        problems.append(f"{name}: keys in one language only: {sorted(en ^ zh)}")
    if name == "Localizable.strings":
        problems += [f"{where}: \"{key}\" is in no Localizable.strings"
                     for key, where in used.items() if key not in en]
        problems += [f"Localizable.strings: \"{key}\" is used nowhere"
                     for key in sorted(en - set(used))]
for problem in problems:
    print(f"{template}: {problem}", file=sys.stderr)
sys.exit(1 if problems else 0)
