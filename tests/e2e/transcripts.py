#!/usr/bin/env python3
"""The `torvale` binary end to end: shell commands and what each must print,
from a file of transcripts, or from the examples of a Markdown reference.

A transcript file:
  == name           a case: a fresh $HOME, torvale, torvale-desktop and a
                    recording `open` first on PATH, $LOG for what it records,
                    $TESTS the tests' folder
  $ COMMAND         run with /bin/sh -c in $HOME
  > LINE / ! LINE   each line it must print on standard output / error
  ? STATUS          its exit status, when not 0
In expected lines "$HOME" stands for that path. A line ending in an odd
number of "\\" goes on with the next, whose leading blanks are dropped; "#"
lines and blank ones are skipped.

In a reference (a .md file) each ```console block is a case: a command that
must succeed, and lines it must print on standard output in that order,
others between them allowed; "/home/user" stands for $HOME.

  transcripts.py FILE TORVALE RECORD_ARGV [TORVALE_DESKTOP]
"""
import concurrent.futures, os, re, signal, subprocess, sys, tempfile

WAIT = 120  # seconds, for any one command


def transcripts(path):
    found, lines, number = [], open(path, encoding="utf-8").read().split("\n"), 0
    while number < len(lines):
        first, line, number = number + 1, lines[number], number + 1
        while len(line) - len(line.rstrip("\\")) & 1 and number < len(lines):
            line, number = line[:-1] + lines[number].lstrip(" \t"), number + 1
        if not line or line.startswith("#"):
            continue
        kind = line[:2].rstrip()
        if line.startswith("== "):
            found.append(("%s:%d %s" % (os.path.basename(path), first, line[3:]), []))
        elif not found or kind not in ("$", ">", "!", "?") or (kind != "$" and not found[-1][1]):
            sys.exit("%s:%d: not a case, or a $, >, ! or ? line of a command" % (path, first))
        elif kind == "$":
            found[-1][1].append({"$": line[2:], ">": "", "!": "", "?": 0, "$HOME": "$HOME"})
        elif kind == "?":
            found[-1][1][-1]["?"] = int(line[2:])
        else:
            found[-1][1][-1][kind] += line[2:] + "\n"
    return found


def examples(path):
    text = open(path, encoding="utf-8").read()
    found = []
    for block in re.finditer(r"^```console\n(.*?)^```", text, re.M | re.S):
        command, *expected = block[1].rstrip("\n").split("\n")
        found.append(("%s:%d" % (os.path.basename(path), text.count("\n", 0, block.start()) + 2),
                      [{"$": command[2:], ">": expected, "!": None, "?": 0,
                        "$HOME": "/home/user"}]))
    return found


def run(case, programs):
    title, commands = case
    with tempfile.TemporaryDirectory(prefix="torvale-transcript-") as root:
        home, bin = root + "/home", root + "/bin"
        os.makedirs(home)
        os.makedirs(bin)
        for name, target in programs.items():
            os.symlink(os.path.abspath(target), bin + "/" + name)
        env = {"HOME": home, "XDG_CONFIG_HOME": home + "/.config", "PATH": bin + ":/usr/bin:/bin",
               "LOG": home + "/argv.log", "RECORD_ARGV_LOG": home + "/argv.log",
               "XDG_DATA_HOME": home + "/.local/share", "XDG_DATA_DIRS": home + "/none",
               "LC_ALL": "C.UTF-8", "TESTS": os.path.dirname(os.path.dirname(os.path.abspath(__file__)))}
        env.update((k, v) for k, v in os.environ.items() if k.endswith("SAN_OPTIONS"))
        for command in commands:
            with subprocess.Popen(["/bin/sh", "-c", 'cd "$HOME" && ' + command["$"]], env=env,
                                  stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                  stderr=subprocess.PIPE, start_new_session=True) as shell:
                try:
                    out, err = (s.decode(errors="replace") for s in shell.communicate(timeout=WAIT))
                except subprocess.TimeoutExpired:  # the shell and all it started: none left
                    os.killpg(shell.pid, signal.SIGKILL)
                    return "%s\n  $ %s\n  did not end within %d s" % (title, command["$"], WAIT)
            at = lambda text: text.replace(command["$HOME"], home)
            if isinstance(command[">"], list):  # a reference's lines, in order
                printed = iter(out.split("\n") if shell.returncode == 0 else [])
                missing = [l for l in map(at, command[">"]) if not any(l == p for p in printed)]
                problem = missing and "does not print, in its place:\n" + missing[0]
            else:
                problem = next(("%s: expected\n%s\n  got\n%s" % (name, want, got)
                                for name, want, got in
                                (("stdout", at(command[">"]), out),
                                 ("stderr", at(command["!"]), err),
                                 ("status", command["?"], shell.returncode)) if want != got), None)
            if problem:
                return "%s\n  $ %s\n  %s" % (title, command["$"], problem)
    return None


def main():
    path, torvale, record = sys.argv[1:4]
    programs = {"open": record, "torvale": torvale}
    if len(sys.argv) > 4 and os.path.exists(sys.argv[4]):
        programs["torvale-desktop"] = sys.argv[4]
    cases = (examples if path.endswith(".md") else transcripts)(path)
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        failures = [f for f in pool.map(lambda c: run(c, programs), cases) if f]
    for failure in failures:
        print("FAILED " + failure)
    print("%s: %d cases, %d failing" % (path, len(cases), len(failures)))
    return 1 if failures or not cases else 0


if __name__ == "__main__":
    sys.exit(main())
