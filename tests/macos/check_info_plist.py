#!/usr/bin/env python3
"""Checks what of Torvale.app needs no Mac: the Info.plist template (valid once
CMake fills it in; the URL scheme exactly "torvale"; versions, system and
identifiers from CMake; the icon an .icns), and the localisations: literal
keys only, each used key in both Localizable.strings, none there unused.

  check_info_plist.py INFO_PLIST_TEMPLATE
"""

import pathlib, plistlib, re, sys

ENTRY = re.compile(r'\s*"((?:[^"\\]|\\.)*)"\s*=\s*"(?:[^"\\]|\\.)*"\s*;\s*$')
COMMENT = re.compile(r"\s*(/\*.*\*/|//.*)?\s*$")
CALL = re.compile(r"NSLocalizedString\(\s*(@\"((?:[^\"\\]|\\.)*)\")?")
# ${NAME} is read as NAME, so a CMake place stands apart from a hard-coded value.
EXPECTED = {"CFBundleExecutable": "MACOSX_BUNDLE_EXECUTABLE_NAME",
            "NSPrincipalClass": "NSApplication",
            "LSMinimumSystemVersion": "CMAKE_OSX_DEPLOYMENT_TARGET", "CFBundlePackageType": "APPL",
            "CFBundleShortVersionString": "MACOSX_BUNDLE_SHORT_VERSION_STRING",
            "CFBundleVersion": "MACOSX_BUNDLE_BUNDLE_VERSION", "CFBundleDevelopmentRegion": "en",
            "CFBundleIdentifier": "MACOSX_BUNDLE_GUI_IDENTIFIER", "CFBundleIconFile": "torvale",
            "NSHumanReadableCopyright": "TORVALE_COPYRIGHT"}


def keys(path, problems):
    lines = path.read_text(encoding="utf-8").splitlines()
    problems += [f"{path}:{n}: not a comment or \"key\" = \"value\";"
                 for n, line in enumerate(lines, 1)
                 if not ENTRY.match(line) and not COMMENT.match(line)]
    return {entry[1] for entry in map(ENTRY.match, lines) if entry}


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
if [t.get("CFBundleURLName") for t in url_types] != ["MACOSX_BUNDLE_GUI_IDENTIFIER.launch-url"]:
    problems.append("CFBundleURLName is not the bundle identifier's .launch-url")
cmake = (macos / "CMakeLists.txt").read_text("utf-8")
for prop in ("MACOSX_BUNDLE_BUNDLE_VERSION", "MACOSX_BUNDLE_SHORT_VERSION_STRING"):
    if not re.search(prop + r"\s+\$\{PROJECT_VERSION\}", cmake):
        problems.append(f"{prop} does not come from project(VERSION)")
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
    en, zh = (keys(macos / f"{lang}.lproj" / name, problems) for lang in ["en", "zh-Hans"])
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
