#!/usr/bin/env python3
"""torvale-desktop end to end under Xvfb, against Debian's real clients:
FileZilla and FreeRDP connect to listeners on 127.0.0.1 standing in for the
gateway, a stand-in SecureCRT records its argv, xdotool drives the dialogs.
Every wait is bounded; every process a test started is killed when it ends.

  desktop_test.py TORVALE_DESKTOP RECORD_ARGV DESKTOP_ENTRY
"""
import os, shutil, signal, socket, subprocess, sys, tempfile, time, unittest

TORVALE_DESKTOP, RECORD_ARGV, DESKTOP_ENTRY = sys.argv[1:4]
WAIT = 30  # seconds, for anything


def poll(check, what):
    for _ in range(WAIT * 20):
        found = check()
        if found:
            return found
        time.sleep(0.05)
    raise AssertionError("timed out waiting for " + what)


class Desktop(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        read, write = os.pipe()
        cls.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-nolisten", "tcp"],
                                    pass_fds=[write], stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as display:
            cls.display = ":" + display.readline().strip()

    @classmethod
    def tearDownClass(cls):
        cls.xvfb.kill()
        cls.xvfb.wait()

    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="torvale-desktop-")
        self.home, self.bin = self.root + "/home", self.root + "/bin"
        os.makedirs(self.home + "/.config/filezilla")
        os.makedirs(self.bin)
        os.symlink(TORVALE_DESKTOP, self.bin + "/torvale-desktop")
        self.env = {"HOME": self.home, "DISPLAY": self.display, "PATH": self.bin + ":/usr/bin:/bin",
                    "TORVALE_TEST": self.root, "RECORD_ARGV_LOG": self.root + "/argv.log",
                    "XDG_CONFIG_HOME": self.home + "/.config", "LC_ALL": "C.UTF-8"}
        self.env.update((k, v) for k, v in os.environ.items() if k.endswith("SAN_OPTIONS"))
        # FileZilla's first-run greeting, and its question before plain FTP.
        with open(self.home + "/.config/filezilla/filezilla.xml", "w") as out:
            out.write('<FileZilla3><Settings><Setting name="Greeting version">99</Setting></Settings></FileZilla3>')
        with open(self.home + "/.config/filezilla/trustedcerts.xml", "w") as out:
            out.write('<FileZilla3><InsecureHosts><Host Port="21">127.0.0.1</Host></InsecureHosts></FileZilla3>')

    def tearDown(self):
        # The clients run in sessions of their own: they are found by the
        # TORVALE_TEST they inherited.
        for sig in (signal.SIGTERM, signal.SIGKILL):
            for pid in filter(str.isdigit, os.listdir("/proc")):
                try:
                    with open("/proc/%s/environ" % pid, "rb") as environ:
                        if ("TORVALE_TEST=" + self.root).encode() in environ.read().split(b"\0"):
                            os.kill(int(pid), sig)
                except OSError:
                    pass
            time.sleep(0.3)
        shutil.rmtree(self.root, ignore_errors=True)

    def torvale(self, fields):
        result = subprocess.run([TORVALE_DESKTOP, "torvale://" + fields], env=self.env,
                                capture_output=True, timeout=WAIT, text=True)
        self.assertEqual((result.returncode, result.stdout), (0, ""))
        return result.stderr

    def accept(self, server):
        """One connection; the listener closes at once, so no retry waits on it."""
        server.settimeout(WAIT)
        with server:
            connection = server.accept()[0]
        connection.settimeout(WAIT)
        return connection

    def test_filezilla_connects_over_sftp_and_ftp_with_the_login_name(self):
        server = socket.create_server(("127.0.0.1", 0))
        self.torvale("&action=StartFileZilla&protocol=sftp&username=ops--web&sid=57&entrust_password=1&"
                     "password=pw&proxy_addr=127.0.0.1&sshport=%d&" % server.getsockname()[1])
        with self.accept(server) as connection, connection.makefile("rb") as stream:
            self.assertTrue(stream.readline().startswith(b"SSH-2.0-FileZilla"))
        try:
            server = socket.create_server(("127.0.0.1", 21))
        except OSError as error:
            self.skipTest("port 21: %s" % error)
        self.torvale("&action=StartFileZilla&protocol=ftp&username=ops--web&sid=57&entrust_password=1&"
                     "password=pw&proxy_addr=127.0.0.1&")
        with self.accept(server) as connection, connection.makefile("rwb", buffering=0) as stream:
            stream.write(b"220 ready\r\n")
            line = stream.readline()
            while line.startswith(b"AUTH"):  # no TLS here
                stream.write(b"502 no\r\n")
                line = stream.readline()
            self.assertEqual(line, b"USER ops--57\r\n")

    def test_freerdp_opens_each_connection_file_at_its_address(self):
        for action, extra in (("StartMstsc", "target_ip=10.0.0.9&screen=1&"),
                              ("StartMstscAutoRun", "path=C:%5CTools%5CViewer.exe+-r&")):
            server = socket.create_server(("127.0.0.1", 0))
            self.assertEqual(self.torvale("&action=%s&localhost=127.0.0.1:%d&username=ops--&sid=57&%s"
                                          % (action, server.getsockname()[1], extra)), "")
            with self.accept(server) as connection:
                packet = connection.recv(4096)
            # An X.224 connection request that carries the login name.
            self.assertEqual(packet[:2], b"\x03\x00", action)
            self.assertIn(b"Cookie: mstshash=ops--57\r\n", packet, action)

    def test_securecrt_gets_the_words_of_the_macos_line(self):
        os.symlink(RECORD_ARGV, self.bin + "/SecureCRT")
        self.torvale("&action=StartSecureCRT&protocol=ssh2&username=admin--web&sid=1024&crttab=1&"
                     "target_username=root&target_ip=10.0.0.5&entrust_password=1&password=p+w&"
                     "proxy_addr=10.0.0.1&")
        log = self.env["RECORD_ARGV_LOG"]
        words = poll(lambda: os.path.exists(log) and open(log, "rb").read(), "SecureCRT").split(b"\0")
        self.assertEqual(words[1:-1], [(self.bin + "/SecureCRT").encode()] + [w.encode() for w in (
            "/T", "/N", "root@10.0.0.5", "/ssh2", "/AUTH", "password", "/l", "admin--1024",
            "/password", "p w", "/P", "22", "10.0.0.1")])

    def dialogs(self, title):
        run = lambda *args: subprocess.run(["xdotool", *args], env=self.env, capture_output=True,
                                           text=True, timeout=WAIT).stdout
        return [w for w in run("search", "--name", ".").split()
                if run("getwindowname", w).strip() == title]

    def test_dialog_through_xdg_open_and_dont_show_again(self):
        # Only our desktop entry: an installed one must not answer.
        self.env.update(XDG_DATA_HOME=self.root + "/data", XDG_DATA_DIRS=self.root + "/none")
        os.makedirs(self.root + "/data/applications")
        shutil.copy(DESKTOP_ENTRY, self.root + "/data/applications")
        subprocess.run(["xdg-mime", "default", "torvale.desktop", "x-scheme-handler/torvale"],
                       env=self.env, check=True, timeout=WAIT)
        opener = subprocess.Popen(["xdg-open", "torvale://&action=Nope&"], env=self.env)
        try:
            window = poll(lambda: self.dialogs("错误"), "the dialog")[0]
            # OK has the focus, the check button stands before it. Escape is
            # only pressed: the dialog is gone before a release could reach it.
            for keys in (["windowfocus", "--sync", window], ["key", "--window", window, "shift+Tab", "space"],
                         ["keydown", "--window", window, "Escape"]):
                subprocess.run(["xdotool", *keys], env=self.env, check=True, timeout=WAIT)
            self.assertEqual(opener.wait(timeout=WAIT), 0)
        finally:
            opener.kill()
        with open(self.home + "/.config/torvale/torvale.conf") as conf:
            self.assertEqual(conf.read(), "AlertSuppression=true\n")
        self.assertEqual(self.torvale("&action=Nope&"), "Alert suppressed\n")
        self.assertEqual(self.dialogs("错误"), [])

    def test_without_a_display_alerts_go_to_standard_error(self):
        del self.env["DISPLAY"]
        self.assertEqual(self.torvale("&action=StartMstscAutoRunReplay&host=h&"),
                         '抱歉: 未检测到远程桌面连接程序\\n请确保已安装"QuendalApp"程序\n')


if __name__ == "__main__":
    missing = [p for p in ("Xvfb", "xdotool", "filezilla", "xfreerdp", "xdg-open") if not shutil.which(p)]
    if missing:
        print("skipped: not installed: " + " ".join(missing))
        sys.exit(77)
    unittest.main(argv=sys.argv[:1], verbosity=2)
