#!/usr/bin/env python3
"""Checks the bundle's Info.plist template: a valid property list once CMake
has filled its ${...} places, declaring exactly the URL scheme "torvale"."""

import plistlib
import re
import sys

REQUIRED = ["CFBundleExecutable", "CFBundleIdentifier", "CFBundlePackageType",
            "NSPrincipalClass", "LSMinimumSystemVersion"]


def main(path):
    with open(path, encoding="utf-8") as template:
        text = re.sub(r"\$\{MACOSX_BUNDLE_[A-Z_]+\}", "x", template.read())
    info = plistlib.loads(text.encode("utf-8"))
    problems = [f"missing {key}" for key in REQUIRED if not info.get(key)]
    if info.get("NSPrincipalClass") != "NSApplication":
        problems.append("NSPrincipalClass is not NSApplication")
    schemes = [scheme for url_type in info.get("CFBundleURLTypes", [])
               for scheme in url_type.get("CFBundleURLSchemes", [])]
    if schemes != ["torvale"]:
        problems.append(f"URL schemes are {schemes}, not exactly ['torvale']")
    for problem in problems:
        print(f"{path}: {problem}", file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
