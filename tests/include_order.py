"""Fails on an include in src/base or src/core against the order README.md states."""
import pathlib, re, sys

root = pathlib.Path(sys.argv[1])
readme = (root / "README.md").read_text(encoding="utf-8")
order = re.findall(r"`([\w/]+)`", re.search(r"\nInclude order:(.*?)\n\n", readme, re.S)[1])


def folder(path):  # "core/plan/Plan.h": "core/plan"; "core/Alerts.h": "core"
    return path.rsplit("/", 1)[0] if path.count("/") < 2 else "/".join(path.split("/")[:2])


bad = []
for f in sorted(p for top in ("base", "core") for p in (root / "src" / top).rglob("*.[ch]*")):
    own = folder(str(f.relative_to(root / "src")))
    if own not in order:
        bad.append(f"{f.relative_to(root)}: {own} stands nowhere in the include order")
        continue
    for n, line in enumerate(f.read_text(encoding="utf-8").splitlines(), 1):
        m = re.match(r'#include "(.+)"', line)
        if m and folder(m[1]) not in order[: order.index(own) + 1]:
            bad.append(f"{f.relative_to(root)}:{n}: {own} may not include {m[1]}")
print("\n".join(bad) or f"Every include of {len(order)} folders in order")
sys.exit(1 if bad else 0)
