#!/usr/bin/env python3
"""The password handover as ssh's askpass helper meets it: TORVALE serving
(--serve-askpass) answers the one expected prompt once, to its own user;
another user, another prompt, a second request and a late one get nothing,
and the helper, with no terminal to ask in, fails. Root: for a user of its own.

  askpass_test.py TORVALE
"""
import os, shlex, subprocess, sys, tempfile

USER = 65534  # nobody, whose password it is; root is the other user
PROMPT = "u@gw's password: "
SECRET = "密码 p@ss:w0'rd"


def part(text):
    data = text.encode()
    return b"%d\n%s" % (len(data), data)


def serve(torvale, socket, seconds, handover=None):
    server = subprocess.Popen([torvale, "--serve-askpass"], stdin=subprocess.PIPE,
                              stdout=subprocess.PIPE, user=USER, group=USER, extra_groups=[])
    server.stdin.write(handover or part(socket) + part(str(seconds)) + part("1") + part(PROMPT) +
                       part(SECRET))
    server.stdin.close()
    return server, server.stdout.readline().decode()


def ask(torvale, socket, prompt, user=USER):
    # A session of its own: no terminal to fall back on.
    result = subprocess.run([torvale, prompt], env={"TORVALE_ASKPASS": socket}, user=user,
                            stdin=subprocess.DEVNULL, capture_output=True, timeout=30,
                            start_new_session=True)
    return result.returncode, result.stdout.decode()


def main(torvale):
    if os.geteuid() != 0:
        print("skipped: a second user id needs root")
        return 77
    failures = []
    with tempfile.TemporaryDirectory() as directory:
        os.chown(directory, USER, USER)
        socket = directory + "/askpass.sock"
        server, said = serve(torvale, socket, 30)
        nothing = (1, "")
        for what, got, expected in (
                ("ready", said, "ready\n"),
                ("another user", ask(torvale, socket, PROMPT, user=0), nothing),
                ("another prompt", ask(torvale, socket, "Are you sure (yes/no/[fingerprint])? "), nothing),
                ("the password prompt", ask(torvale, socket, PROMPT), (0, SECRET + "\n")),
                ("a second request", ask(torvale, socket, PROMPT), nothing),
                ("the server, once served", server.wait(timeout=30), 0),
                ("the socket, once served", os.path.exists(socket), False)):
            if got != expected:
                failures.append("%s: %r, not %r" % (what, got, expected))
        late, _ = serve(torvale, socket, 1)
        late.wait(timeout=30)
        if (got := (os.path.exists(socket), ask(torvale, socket, PROMPT))) != (False, nothing):
            failures.append("after its time: %r" % (got,))
        broken, said = serve(torvale, socket, 1, handover=b"7\nnot one")
        if (said, broken.wait(timeout=30)) != ("the handover could not be read\n", 1):
            failures.append("a broken handover: %r" % said)
    # With a terminal the helper asks there, showing what the prompt holds
    # without letting it act on the terminal.
    command = "%s %s" % (shlex.quote(torvale), shlex.quote("\x1b]0;x\x07Are you sure (yes/no)? "))
    typed = subprocess.run(["script", "-q", "-e", "-c", command, "/dev/null"], input=b"yes\n",
                           env={"TORVALE_ASKPASS": "/nonexistent", "SHELL": "/bin/sh"},
                           capture_output=True, timeout=30).stdout
    if b"\\x1b]0;x\\x07Are you sure (yes/no)? yes" not in typed or b"\x1b" in typed:
        failures.append("asked in the terminal: %r" % typed)
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
