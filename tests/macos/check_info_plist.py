#!/usr/bin/env python3
"""Checks the bundle's Info.plist template (valid once CMake fills its ${...}
places, the URL scheme exactly "torvale", LSMinimumSystemVersion from CMake)
and that the en and zh-Hans .strings beside it parse and hold the same keys."""

import pathlib, plistlib, re, sys

ENTRY = re.compile(r'\s*"((?:[^"\\]|\\.)*)"\s*=\s*"(?:[^"\\]|\\.)*"\s*;\s*$')
COMMENT = re.compile(r"\s*(/\*.*\*/|//.*)?\s*$")
# ${NAME} is read as NAME, so a CMake place stands apart from a hard-coded value.
EXPECTED = {"CFBundleExecutable": "MACOSX_BUNDLE_EXECUTABLE_NAME", "NSPrincipalClass": "NSApplication",
            "LSMinimumSystemVersion": "CMAKE_OSX_DEPLOYMENT_TARGET", "CFBundlePackageType": "APPL"}


def keys(path, problems):
    lines = path.read_text(encoding="utf-8").splitlines()
    problems += [f"{path}:{n}: not a comment or \"key\" = \"value\";"
                 for n, line in enumerate(lines, 1) if not ENTRY.match(line) and not COMMENT.match(line)]
    return {entry[1] for entry in map(ENTRY.match, lines) if entry}


template = pathlib.Path(sys.argv[1])
info = plistlib.loads(re.sub(r"\$\{(\w+)\}", r"\1", template.read_text("utf-8")).encode())
problems = [f"{key} is not {value}" for key, value in EXPECTED.items() if info.get(key) != value]
if not info.get("NSDocumentsFolderUsageDescription"):
    problems.append("no NSDocumentsFolderUsageDescription")
schemes = [s for url_type in info.get("CFBundleURLTypes", []) for s in url_type.get("CFBundleURLSchemes", [])]
if schemes != ["torvale"]:
    problems.append(f"URL schemes are {schemes}, not exactly ['torvale']")
for name in ["InfoPlist.strings", "Localizable.strings"]:
    en, zh = (keys(template.parent / f"{lang}.lproj" / name, problems) for lang in ["en", "zh-Hans"])
    if en != zh:
        problems.append(f"{name}: keys in one language only: {sorted(en ^ zh)}")
for problem in problems:
    print(f"{template}: {problem}", file=sys.stderr)
sys.exit(1 if problems else 0)
