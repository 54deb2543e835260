#!/usr/bin/env python3
"""The `torvale` binary end to end, from a file of transcripts: shell commands
and what each must print.

  == name           starts a case: a fresh $HOME, torvale, torvale-desktop
                    and a recording `open` first on PATH, $LOG for the argv
                    `open` records
  $ COMMAND         run with /bin/sh -c in $HOME, so files it makes go with
                    the case
  > LINE / ! LINE   each line it must print on standard output / error
  ? STATUS          its exit status, when not 0

In expected lines "$HOME" stands for that path. Lines are taken as they are,
no escapes; a line ending in an odd number of "\\" goes on with the next,
whose leading blanks are dropped. "#" lines and blank ones are skipped.

  transcripts.py TRANSCRIPTS TORVALE RECORD_ARGV [TORVALE_DESKTOP]
"""
import concurrent.futures, os, re, signal, subprocess, sys, tempfile

WAIT = 120  # seconds, for any one command


def cases(path):
    found, lines = [], open(path, encoding="utf-8").read().split("\n")
    number = 0
    while number < len(lines):
        first, line = number + 1, lines[number]
        number += 1
        while len(line) - len(line.rstrip("\\")) & 1 and number < len(lines):
            line, number = line[:-1] + lines[number].lstrip(" \t"), number + 1
        if not line or line.startswith("#"):
            continue
        if line.startswith("== "):
            found.append(("%s:%d %s" % (os.path.basename(path), first, line[3:]), []))
        elif not found or not re.match(r"(\$|>|!|\?)( |$)", line):
            sys.exit("%s:%d: not a case, $, >, ! or ? line" % (path, first))
        elif line[0] == "$":
            found[-1][1].append({"line": line[2:], ">": "", "!": "", "?": 0})
        elif not found[-1][1]:
            sys.exit("%s:%d: output before the first command" % (path, first))
        elif line[0] == "?":
            found[-1][1][-1]["?"] = int(line[2:])
        else:
            found[-1][1][-1][line[0]] += line[2:] + "\n"
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
               "LC_ALL": "C.UTF-8"}
        env.update((k, v) for k, v in os.environ.items() if k.endswith("SAN_OPTIONS"))
        for command in commands:
            with subprocess.Popen(["/bin/sh", "-c", 'cd "$HOME" && ' + command["line"]], env=env,
                                  stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                  stderr=subprocess.PIPE, start_new_session=True) as shell:
                try:
                    out, err = shell.communicate(timeout=WAIT)
                except subprocess.TimeoutExpired:  # the shell and all it started: none left
                    os.killpg(shell.pid, signal.SIGKILL)
                    return "%s\n  $ %s\n  did not end within %d s" % (title, command["line"], WAIT)
            got = {">": out.decode(errors="replace"), "!": err.decode(errors="replace"),
                   "?": shell.returncode}
            for key in (">", "!", "?"):
                want = command[key].replace("$HOME", home) if key != "?" else command[key]
                if got[key] != want:
                    return "%s\n  $ %s\n  %s expected:\n%s\n  got:\n%s" % (
                        title, command["line"], {">": "stdout", "!": "stderr", "?": "status"}[key],
                        want, got[key])
    return None


def main():
    path, torvale, record = sys.argv[1:4]
    programs = {"open": record, "torvale": torvale}
    if len(sys.argv) > 4 and os.path.exists(sys.argv[4]):
        programs["torvale-desktop"] = sys.argv[4]
    all_cases = cases(path)
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        failures = [f for f in pool.map(lambda c: run(c, programs), all_cases) if f]
    for failure in failures:
        print("FAILED " + failure)
    print("%d transcripts, %d failing" % (len(all_cases), len(failures)))
    return 1 if failures or not all_cases else 0


if __name__ == "__main__":
    sys.exit(main())
