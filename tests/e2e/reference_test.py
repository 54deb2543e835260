#!/usr/bin/env python3
"""Runs every example of docs/launch-urls.md: each ```console block is a
command that must succeed and the lines it must print, in that order
(others may come between). /home/user stands for a fresh home directory.

  reference_test.py DOC TORVALE
"""
import os, re, signal, subprocess, sys, tempfile

doc, torvale = sys.argv[1:3]
blocks = re.findall(r"^```console\n(.*?)^```", open(doc, encoding="utf-8").read(), re.M | re.S)
failures = 0
for block in blocks:
    command, *expected = block.rstrip("\n").split("\n")
    assert command.startswith("$ torvale "), "an example is a torvale command: " + command
    with tempfile.TemporaryDirectory() as home:
        env = {"HOME": home, "XDG_CONFIG_HOME": home + "/.config", "LC_ALL": "C.UTF-8",
               "PATH": os.path.dirname(os.path.abspath(torvale)) + ":/usr/bin:/bin"}
        with subprocess.Popen(["/bin/sh", "-c", command[2:]], env=env, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, text=True, start_new_session=True) as run:
            try:
                stdout = run.communicate(timeout=60)[0]
            except subprocess.TimeoutExpired:  # the shell and all it started: none left running
                os.killpg(run.pid, signal.SIGKILL)
                raise
        lines = iter(stdout.split("\n") if run.returncode == 0 else [])
        for line in expected:
            line = line.replace("/home/user", home)
            if not any(line == printed for printed in lines):
                print("%s: %s\n  does not print, in its place:\n  %s" % (doc, command, line))
                failures += 1
                break
print("%d examples, %d failing" % (len(blocks), failures))
sys.exit(1 if failures or not blocks else 0)
