#!/usr/bin/env python3
"""Checks the bundle's Info.plist template (valid once CMake fills its ${...} places,
the URL scheme exactly "torvale") and the en and zh-Hans .strings beside it."""

import pathlib, plistlib, re, sys

REQUIRED = ["CFBundleExecutable", "CFBundleIdentifier", "CFBundlePackageType",
            "NSPrincipalClass", "NSDocumentsFolderUsageDescription"]
ENTRY = re.compile(r'\s*"((?:[^"\\]|\\.)*)"\s*=\s*"(?:[^"\\]|\\.)*"\s*;\s*$')
COMMENT = re.compile(r"\s*(/\*.*\*/|//.*)?\s*$")
# ${NAME} is read as NAME, so a CMake place stands apart from a hard-coded value.
EXPECTED = {"NSPrincipalClass": "NSApplication",
            "LSMinimumSystemVersion": "CMAKE_OSX_DEPLOYMENT_TARGET"}


def strings_keys(path, problems):
    lines = path.read_text(encoding="utf-8").splitlines()
    problems += [f"{path}:{n}: not a comment or \"key\" = \"value\";" for n, line
                 in enumerate(lines, 1) if not ENTRY.match(line) and not COMMENT.match(line)]
    return {entry[1] for entry in map(ENTRY.match, lines) if entry}


def main(path):
    template = pathlib.Path(path)
    info = plistlib.loads(re.sub(r"\$\{(\w+)\}", r"\1", template.read_text("utf-8")).encode())
    problems = [f"missing {key}" for key in REQUIRED if not info.get(key)]
    problems += [f"{key} is not {value}" for key, value in EXPECTED.items()
                 if info.get(key) != value]
    schemes = [scheme for url_type in info.get("CFBundleURLTypes", [])
               for scheme in url_type.get("CFBundleURLSchemes", [])]
    if schemes != ["torvale"]:
        problems.append(f"URL schemes are {schemes}, not exactly ['torvale']")
    for name in ["InfoPlist.strings", "Localizable.strings"]:
        en, zh = (strings_keys(template.parent / f"{lang}.lproj" / name, problems)
                  for lang in ["en", "zh-Hans"])
        if en != zh:
            problems.append(f"{name}: keys in one language only: {sorted(en ^ zh)}")
    for problem in problems:
        print(f"{path}: {problem}", file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
