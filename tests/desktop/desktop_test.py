#!/usr/bin/env python3
"""torvale-desktop end to end under Xvfb and openbox, against Debian's real
clients: FileZilla and FreeRDP connect to listeners on 127.0.0.1 standing in
for the gateway, a stand-in SecureCRT records its argv, xdotool drives the
dialogs. Every wait is bounded; every process a test started is killed when
it ends.

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


def read(path):
    with open(path, "rb") as data:
        return data.read()


class Desktop(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        read, write = os.pipe()
        cls.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-nolisten", "tcp",
                                     "-screen", "0", "1280x800x24"],
                                    pass_fds=[write], stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as display:
            cls.display = ":" + display.readline().strip()
        # Without a window manager a dialog may never get the focus.
        cls.wm = subprocess.Popen(["openbox"], env={"DISPLAY": cls.display, "PATH": "/usr/bin:/bin"},
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    @classmethod
    def tearDownClass(cls):
        for process in (cls.wm, cls.xvfb):
            process.kill()
            process.wait()

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
        # The gateway of these tests is trusted, as a user's would be after
        # the first question.
        os.makedirs(self.home + "/.config/torvale")
        self.preferences = self.home + "/.config/torvale/torvale.conf"
        with open(self.preferences, "w") as out:
            out.write("TrustedGateways=127.0.0.1\nTrustedGateways=10.0.0.1\n")

    def tearDown(self):
        # The clients run in sessions of their own: they are found by the
        # TORVALE_TEST they inherited.
        for sig in (signal.SIGTERM, signal.SIGKILL):
            for pid in self.clients():
                try:
                    os.kill(pid, sig)
                except OSError:
                    pass
            time.sleep(0.3)
        shutil.rmtree(self.root, ignore_errors=True)

    def torvale(self, fields):
        result = subprocess.run([TORVALE_DESKTOP, "torvale://" + fields], env=self.env,
                                capture_output=True, timeout=WAIT, text=True)
        self.assertEqual((result.returncode, result.stdout), (0, ""))
        return result.stderr

    def start(self, fields):
        """torvale-desktop left to show its dialogs; the caller answers them."""
        process = subprocess.Popen([TORVALE_DESKTOP, "torvale://" + fields], env=self.env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(process.kill)
        return process

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True,
                              check=True, timeout=WAIT).stdout

    def answer(self, title, *keys):
        """Waits for the dialog of that title, then types into it as a user
        would: into the active window, each key pressed and released (sent to
        the window itself, a release after the key that closes it would find
        no window)."""
        window = poll(lambda: self.dialogs(title), "the dialog " + title)[0]
        self.xdotool("windowactivate", "--sync", window)
        self.xdotool("key", "--delay", "50", *keys)
        return window

    def clients(self):
        """The pids of the processes started with this test's environment."""
        found = []
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open("/proc/%s/environ" % pid, "rb") as environ:
                    if ("TORVALE_TEST=" + self.root).encode() in environ.read().split(b"\0"):
                        found.append(int(pid))
            except OSError:
                pass
        return found

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

    def test_freerdp_takes_every_switch_that_passes(self):
        for rdparg in ("admin", "f", "span", "multimon", "public"):
            server = socket.create_server(("127.0.0.1", 0))
            self.assertEqual(self.torvale("&action=StartMstsc&localhost=127.0.0.1:%d&username=u&"
                                          "rdparg=%s&" % (server.getsockname()[1], rdparg)), "")
            with self.accept(server) as connection:
                self.assertIn(b"Cookie: mstshash=u\r\n", connection.recv(4096), rdparg)

    def test_a_host_not_trusted_yet_is_asked_about_first(self):
        os.remove(self.preferences)
        server = socket.create_server(("127.0.0.1", 0))
        port = server.getsockname()[1]
        # FileZilla connects by itself only when the URL holds a password.
        fields = ("&action=StartFileZilla&protocol=sftp&username=u&entrust_password=1&password=pw&"
                  "proxy_addr=127.0.0.1&sshport=%d&" % port)
        # Escape cancels: nothing is written, nothing starts.
        opener = self.start(fields)
        self.answer("确认连接", "Escape")
        self.assertEqual(opener.wait(timeout=WAIT), 0)
        self.assertEqual((self.clients(), os.listdir(self.home + "/Documents/torvale")),
                         ([], ["configuration.ini"]))
        self.assertFalse(os.path.exists(self.preferences))
        # The check box stands above Cancel, which has the focus; Connect after it.
        opener = self.start(fields)
        self.answer("确认连接", "shift+Tab", "space", "Tab", "Tab", "space")
        self.assertEqual(opener.wait(timeout=WAIT), 0)
        with self.accept(server) as connection, connection.makefile("rb") as stream:
            self.assertTrue(stream.readline().startswith(b"SSH-2.0-FileZilla"))
        with open(self.preferences) as conf:
            self.assertEqual(conf.read(), "TrustedGateways=127.0.0.1\n")
        # Trusted now: no question, and FileZilla connects again.
        server = socket.create_server(("127.0.0.1", port))
        self.assertEqual(self.torvale(fields), "")
        with self.accept(server) as connection, connection.makefile("rb") as stream:
            self.assertTrue(stream.readline().startswith(b"SSH-2.0-FileZilla"))

    def test_a_long_message_is_cut_and_the_dialog_fits_the_screen(self):
        opener = self.start("&action=Nope&debug=1&x=" + "x" * 120000 + "&")
        window = poll(lambda: self.dialogs("调试"), "the debug dialog")[0]
        width = int(self.xdotool("getwindowgeometry", "--shell", window).split("WIDTH=")[1].split()[0])
        self.assertLess(width, 1280)
        self.answer("调试", "Return")
        self.answer("错误", "Return")
        self.assertEqual(opener.wait(timeout=WAIT), 0)

    def test_securecrt_gets_the_words_of_the_macos_line(self):
        os.symlink(RECORD_ARGV, self.bin + "/SecureCRT")
        self.torvale("&action=StartSecureCRT&protocol=ssh2&username=admin--web&sid=1024&crttab=1&"
                     "target_username=root&target_ip=10.0.0.5&entrust_password=1&password=p+w&"
                     "proxy_addr=10.0.0.1&")
        log = self.env["RECORD_ARGV_LOG"]
        words = poll(lambda: os.path.exists(log) and read(log), "SecureCRT").split(b"\0")
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
            # OK has the focus, the check button stands before it.
            self.answer("错误", "shift+Tab", "space", "Escape")
            self.assertEqual(opener.wait(timeout=WAIT), 0)
        finally:
            opener.kill()
        with open(self.home + "/.config/torvale/torvale.conf") as conf:
            self.assertEqual(conf.read(), "TrustedGateways=127.0.0.1\nTrustedGateways=10.0.0.1\nAlertSuppression=true\n")
        self.assertEqual(self.torvale("&action=Nope&"), "Alert suppressed\n")
        self.assertEqual(self.dialogs("错误"), [])

    def test_without_a_display_alerts_go_to_standard_error(self):
        del self.env["DISPLAY"]
        self.assertEqual(self.torvale("&action=StartMstscAutoRunReplay&host=h&"),
                         '抱歉: 未检测到远程桌面连接程序\\n请确保已安装"QuendalApp"程序\\n'
                         '已查找：无（可在 configuration.ini 的 [clients] 中配置）\n')


if __name__ == "__main__":
    missing = [p for p in ("Xvfb", "openbox", "xdotool", "filezilla", "xfreerdp", "xdg-open") if not shutil.which(p)]
    if missing:
        print("skipped: not installed: " + " ".join(missing))
        sys.exit(77)
    unittest.main(argv=sys.argv[:1], verbosity=2)
