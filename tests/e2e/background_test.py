#!/usr/bin/env python3
"""What a pass leaves to TORVALE in the background, as its peers meet it.
Serving a password (--serve-askpass): the one expected prompt is answered
once, to its own user; another user, another prompt, a second request and a
late one get nothing, and the helper, with no terminal to ask in, fails.
Removing a connection file (--remove-once-read): gone once read, or once its
time is up; one replaced meanwhile stays. Root: for a user of its own.

  background_test.py TORVALE
"""
import os, shlex, socket as sockets, subprocess, sys, tempfile, time

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


def remove_once_read(torvale, path, seconds):
    remover = subprocess.Popen([torvale, "--remove-once-read"], stdin=subprocess.PIPE,
                               stdout=subprocess.PIPE)
    remover.stdin.write(b"%s\n%s" % (seconds.encode(), path.encode()))
    remover.stdin.close()
    return remover, remover.stdout.readline().decode()


def removals(torvale, directory):
    failures = []
    read, unread, replaced = (directory + "/" + name for name in ("read.rdp", "unread.rdp", "new.rdp"))
    for path in (read, unread, replaced, replaced + ".next"):
        with open(path, "w") as file:
            file.write(path)
    removers = [remove_once_read(torvale, path, seconds)
                for path, seconds in ((read, "30"), (unread, "1"), (replaced, "1"))]
    with open(read) as file:
        file.read()
    os.rename(replaced + ".next", replaced)  # as another pass writes it
    for path, (remover, said), kept in zip((read, unread, replaced), removers, (False, False, True)):
        if (said, remover.wait(timeout=30), os.path.exists(path)) != ("ready\n", 0, kept):
            failures.append("%s: %r, %s" % (path, said, "removed" if kept else "kept"))
    remover, said = remove_once_read(torvale, directory + "/none.rdp", "x")
    if (said, remover.wait(timeout=30)) != ("what to remove could not be read\n", 1):
        failures.append("what to remove, unreadable: %r" % said)
    return failures


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
        # A peer of its user that asks nothing, first in the queue, holds the
        # others up a second at most.
        stalled = subprocess.Popen(["/usr/bin/python3", "-c", "import socket, sys, time; s = socket.socket("
                                    "socket.AF_UNIX); s.connect(sys.argv[1]); print(flush=True); "
                                    "time.sleep(60)", socket], user=USER, group=USER, extra_groups=[],
                                   stdout=subprocess.PIPE)
        stalled.stdout.readline()
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
        stalled.kill()
        stalled.wait()
        # A server of another user is not taken at its word.
        with sockets.socket(sockets.AF_UNIX) as forged:
            forged.bind(socket)
            os.chmod(socket, 0o777)
            forged.listen()
            helper = subprocess.Popen([torvale, PROMPT], env={"TORVALE_ASKPASS": socket}, user=USER,
                                      stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                      start_new_session=True)
            forged.settimeout(30)
            with forged.accept()[0] as connection:
                try:
                    while connection.recv(4096):  # the prompt, as a server reads it
                        pass
                    connection.sendall(b"forged")
                except OSError:  # the helper hung up on it, as it should
                    pass
            if (helper.wait(timeout=30), helper.stdout.read()) != (1, b""):
                failures.append("a server of another user was taken at its word")
        os.remove(socket)
        broken, said = serve(torvale, "/nonexistent/askpass.sock", 1)
        if (said, broken.wait(timeout=30)) != ("bind /nonexistent/askpass.sock: No such file or directory\n", 1):
            failures.append("a socket that cannot be made: %r" % said)
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
    with tempfile.TemporaryDirectory() as directory:
        failures += removals(torvale, directory)
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
