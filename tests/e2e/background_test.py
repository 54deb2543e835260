#!/usr/bin/env python3
"""What a pass leaves to TORVALE in the background, as its peers meet it:
serving a password (--serve-askpass) and removing a connection file once
read (--remove-once-read). Root, for a user of its own.  background_test.py TORVALE
"""
import os, pty, shutil, socket as sockets, subprocess, sys, tempfile

USER = 65534  # nobody, whose password it is; root is the other user
PROMPT = "u@gw's password: "
SECRET = "密码 p@ss:w0'rd"


def part(text):
    data = text.encode()
    return b"%d\n%s" % (len(data), data)


def start(torvale, mode, data, **user):
    task = subprocess.Popen([torvale, mode], stdin=subprocess.PIPE, stdout=subprocess.PIPE, **user)
    task.stdin.write(data)
    task.stdin.close()
    return task, task.stdout.readline().decode()


def serve(torvale, socket, seconds, handover=None):
    return start(torvale, "--serve-askpass", handover or part(socket) + part(str(seconds)) +
                 part("1") + part(PROMPT) + part(SECRET), user=USER, group=USER, extra_groups=[])


def ask(torvale, socket, prompt, user=USER):
    # A session of its own: no terminal to fall back on.
    result = subprocess.run([torvale, prompt], env={"TORVALE_ASKPASS": socket}, user=user,
                            stdin=subprocess.DEVNULL, capture_output=True, timeout=30,
                            start_new_session=True)
    return result.returncode, result.stdout.decode()


def hang_up(socket, prompt):
    """A peer that asks, then goes away before the answer: writing it fails."""
    return subprocess.run(["/usr/bin/python3", "-c",
                           "import socket, sys; s = socket.socket(socket.AF_UNIX); "
                           "s.connect(sys.argv[1]); s.sendall(sys.argv[2].encode()); s.close()",
                           socket, prompt], user=USER, group=USER, extra_groups=[],
                          timeout=30).returncode


def remove_once_read(torvale, path, seconds):
    return start(torvale, "--remove-once-read", part(seconds) + part(path))


def removals(torvale, directory):
    failures = []
    read, unread, replaced = (directory + "/" + name
                              for name in ("read.rdp", "unread.rdp", "new.rdp"))
    for path in (read, unread, replaced, replaced + ".next"):
        with open(path, "w") as file:
            file.write(path)
    removers = [remove_once_read(torvale, path, seconds)
                for path, seconds in ((read, "30"), (unread, "1"), (replaced, "1"))]
    with open(read) as file:
        file.read()
    os.rename(replaced + ".next", replaced)  # as another pass writes it
    for path, (remover, said), kept in zip((read, unread, replaced), removers,
                                           (False, False, True)):
        if (said, remover.wait(timeout=30), os.path.exists(path)) != ("ready\n", 0, kept):
            failures.append("%s: %r, %s" % (path, said, "removed" if kept else "kept"))
    none = directory + "/none.rdp"
    for seconds, expected in (("x", "what to remove could not be read\n"),
                              ("30", "stat %s: No such file or directory\n" % none)):
        remover, said = remove_once_read(torvale, none, seconds)
        if (said, remover.wait(timeout=30)) != (expected, 1):
            failures.append("refused: %r, not %r" % (said, expected))
    return failures


def real_pass(torvale):
    """A real pass starts both tasks itself, each a session of its own; the password is served."""
    failures = []
    with tempfile.TemporaryDirectory() as root:
        data, bin = root + "/Documents/torvale", root + "/bin"
        os.makedirs(data), os.makedirs(bin)
        os.symlink("/bin/true", bin + "/open")
        with open(data + "/configuration.ini", "w") as file:
            file.write("[clients]\nSSH = openssh\nTerminal = /bin/true\nOpenSSH = /bin/true\n"
                       "Remote Desktop Connection = /bin/true\n")
        said = subprocess.run([torvale, "--confirm=yes",
                               "torvale://&action=StartSecureCRT&username=u&proxy_addr=gw&"
                               "entrust_password=1&password=%E5%AF%86&",
                               "torvale://&action=StartMstscAutoRun&password=pw&"],
                              env={"HOME": root, "PATH": bin + ":/usr/bin:/bin"},
                              capture_output=True, timeout=30).stderr
        sockets = [name for name in os.listdir(data) if name.startswith("askpass-")]
        tasks = [pid for pid in filter(str.isdigit, os.listdir("/proc"))
                 if ("HOME=" + root).encode() in read("/proc/%s/environ" % pid).split(b"\0")]
        # Field 6 of stat is the session: a leader's is its own id.
        leaders = [pid for pid in tasks
                   if read("/proc/%s/stat" % pid).rsplit(b")", 1)[-1].split()[3:4]
                   == [pid.encode()]]
        if len(sockets) != 1 or len(tasks) != 2 or leaders != tasks:
            failures.append("the tasks of a pass: %r, %r, leaders %r; %r"
                            % (sockets, tasks, leaders, said))
        elif ask(torvale, data + "/" + sockets[0], PROMPT, user=0) != (0, "密\n"):
            failures.append("the pass's password was not served")
    return failures


def in_terminal(torvale, prompt, typed=b"typed\n"):
    pid, terminal = pty.fork()
    if pid == 0:
        os.execve(torvale, [torvale, prompt], {"TORVALE_ASKPASS": "/nonexistent"})
    shown = b""
    while not shown.endswith(prompt[-2:].encode()):
        shown += os.read(terminal, 4096)
    os.write(terminal, typed)
    while chunk := read(terminal):
        shown += chunk
    os.waitpid(pid, 0)
    return shown


def read(path):
    """A file's bytes, or a terminal's (a descriptor); b"" where gone, not ours, or ended."""
    try:
        if isinstance(path, int):
            return os.read(path, 4096)
        with open(path, "rb") as file:
            return file.read()
    except OSError:
        return b""


def main(torvale):
    if os.geteuid() != 0:
        print("skipped: a second user id needs root")
        return 77
    # Its user may not reach the build (a clone in /root, a 0700 temporary
    # tree): a copy in a directory every user can enter stands in for it.
    with tempfile.TemporaryDirectory() as reachable:
        os.chmod(reachable, 0o755)
        return run(shutil.copy2(torvale, reachable))


def run(torvale):
    failures = []
    with tempfile.TemporaryDirectory() as directory:
        os.chown(directory, USER, USER)
        socket = directory + "/askpass.sock"
        server, said = serve(torvale, socket, 30)
        nothing = (1, "")
        # A peer that never finishes asking gets nothing, and holds the others up a second at most.
        stalled = subprocess.Popen(["/usr/bin/python3", "-c",
                                    "import socket, sys; s = socket.socket(socket.AF_UNIX); "
                                    "s.connect(sys.argv[1]); s.sendall(sys.argv[2].encode()); "
                                    "print(flush=True); print(s.recv(99), flush=True)",
                                    socket, PROMPT],
                                   user=USER, group=USER, extra_groups=[], stdout=subprocess.PIPE)
        stalled.stdout.readline()
        for what, got, expected in (
                ("ready", said, "ready\n"),
                ("another user", ask(torvale, socket, PROMPT, user=0), nothing),
                ("another prompt",
                 ask(torvale, socket, "Are you sure (yes/no/[fingerprint])? "), nothing),
                ("a peer gone before its answer", hang_up(socket, PROMPT), 0),
                ("the password prompt", ask(torvale, socket, PROMPT), (0, SECRET + "\n")),
                ("a second request", ask(torvale, socket, PROMPT), nothing),
                ("the server, once served", server.wait(timeout=30), 0),
                ("the socket, once served", os.path.exists(socket), False)):
            if got != expected:
                failures.append("%s: %r, not %r" % (what, got, expected))
        if stalled.communicate(timeout=30)[0] != b"b''\n":
            failures.append("a request never finished got an answer")
        # A server of another user is not taken at its word.
        with sockets.socket(sockets.AF_UNIX) as forged:
            forged.bind(socket)
            os.chmod(socket, 0o777)
            forged.listen()
            helper = subprocess.Popen([torvale, PROMPT], env={"TORVALE_ASKPASS": socket}, user=USER,
                                      stdout=subprocess.PIPE, start_new_session=True)
            forged.settimeout(30)
            with forged.accept()[0] as connection:
                try:  # the prompt read as a server reads it, then an answer
                    while connection.recv(4096):
                        pass
                    connection.sendall(b"forged")
                except OSError:  # the helper hung up on it, as it should
                    pass
            if (helper.wait(timeout=30), helper.stdout.read()) != (1, b""):
                failures.append("a server of another user was taken at its word")
        os.remove(socket)
        serve(torvale, socket, 1)[0].wait(timeout=30)  # and then it is late
        if (got := (os.path.exists(socket), ask(torvale, socket, PROMPT))) != (False, nothing):
            failures.append("after its time: %r" % (got,))
        long = "/" + "x" * 108
        cut = part(socket) + part("1") + part("1") + part(PROMPT) + part(SECRET)[:-1]
        for what, path, handover, message in (
                ("a socket path too long", long, None,
                 "the socket's path is longer than 107 bytes: %s\n" % long),
                ("a socket that cannot be made", "/nonexistent/askpass.sock", None,
                 "bind /nonexistent/askpass.sock: No such file or directory\n"),
                ("a handover whose last part is a byte short", socket, cut,
                 "the handover could not be read\n")):
            broken, said = serve(torvale, path, 1, handover)
            if (said, broken.wait(timeout=30)) != (message, 1):
                failures.append("%s: %r" % (what, said))
    # With a terminal the helper asks there, showing what the prompt holds
    # without letting it act on the terminal, and echoing no password.
    for prompt, shown in (("\x1b]0;x\x07Are you sure (yes/no)? ",
                           b"\\x1b]0;x\\x07Are you sure (yes/no)? typed\r\n"),
                          (PROMPT, PROMPT.encode() + b"\r\n")):
        if (got := in_terminal(torvale, prompt)) != shown + b"typed\r\n":
            failures.append("asked in the terminal: %r" % got)
    if (got := in_terminal(torvale, PROMPT, b"\x04")) != PROMPT.encode() + b"\r\n":
        failures.append("the input ended (Ctrl-D): %r" % got)  # an empty answer, at once
    with tempfile.TemporaryDirectory() as directory:
        failures += removals(torvale, directory)
    failures += real_pass(torvale)
    sys.stdout.write("".join(failure + "\n" for failure in failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
