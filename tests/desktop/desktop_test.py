#!/usr/bin/env python3
"""torvale-desktop as a user meets it: the Debian package (or `cmake --install`)
over /usr in a private mount namespace, its entry registered with xdg-mime;
under Xvfb and openbox real browsers click a portal's links and the real
clients log in to real servers on 127.0.0.1 (FileZilla to sshd and an FTP
server, FreeRDP to freerdp-shadow-cli and to a listener); xdotool answers
the dialogs. Every wait is
bounded, every process ended by its id, nothing outside the namespace changed.

  desktop_test.py --deb PACKAGE | --build BUILD_DIR
"""
import base64, html, http.server, json, os, pwd, re, shutil, signal, socket, subprocess, sys
import tempfile, threading, time
import unittest
import urllib.parse

WAIT = 30  # seconds, for anything
SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
DOCS = {}  # docs/NAME: read before /tmp, where the clone may be, is laid over
LOGIN = "ops--57"  # what username=ops--web&sid=57 makes; a user of the namespace alone
# Chinese text, a space, "@", ":" and "'", percent-encoded in the links as a portal must.
PASSWORD = "密码 p@ss:w0'rd"
# The desktop user of the SSH test, of the namespace alone: ssh keeps known
# hosts in the home the user database gives, never in $HOME.
DESKTOP_UID = 54322
# The texts AT-SPI reads in the window named argv[1], in order, as JSON.
ATSPI = """import gi, json, sys
gi.require_version("Atspi", "2.0")
from gi.repository import Atspi
def kids(node):
    return [c for c in map(node.get_child_at_index, range(node.get_child_count())) if c]
def texts(node):
    if node.get_role_name() == "text":
        yield Atspi.Text.get_text(node, 0, -1)
    elif node.get_role_name() in ("label", "check box", "push button"):
        yield node.get_name()
    for child in kids(node):
        yield from texts(child)
print(json.dumps([text for app in kids(Atspi.get_desktop(0)) for window in kids(app)
                  if window.get_name() == sys.argv[1] for text in texts(window)]))
"""


def wait_for(check, seconds):
    for _ in range(seconds * 20):
        found = check()
        if found:
            return found
        time.sleep(0.05)
    return None


def poll(check, what, seconds=WAIT):
    found = wait_for(check, seconds)
    if found:
        return found
    # What the screen showed, for whoever reads the failure.
    shot = tempfile.mktemp(prefix="torvale-desktop-", suffix=".png", dir="/var/tmp")
    subprocess.run(["import", "-window", "root", shot], env={"DISPLAY": Desktop.display},
                   stderr=subprocess.DEVNULL)
    raise AssertionError("timed out waiting for %s (the screen: %s)" % (what, shot))


def start_display(size):
    """Xvfb with openbox (without a window manager a dialog may never get the
    focus): the two processes, and the display's name."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-nolisten", "tcp", "-screen",
                             "0", size + "x24"], pass_fds=[write_end], stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as display:
        name = ":" + display.readline().strip()
    wm = subprocess.Popen(["openbox"], env={"DISPLAY": name, "PATH": "/usr/bin:/bin"},
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return (wm, xvfb), name


def read(path):
    try:
        with open(path, "rb") as data:
            return data.read()
    except OSError:  # not there yet, or gone, or not ours to read
        return b""


def listening(port):
    with socket.socket() as probe:
        return probe.connect_ex(("127.0.0.1", port)) == 0


class Portal(http.server.BaseHTTPRequestHandler):
    """Each page is one link filling the window, to be clicked anywhere; it
    reports each click, so a click the browser dropped is told from a link not followed."""
    links = {}
    clicked = set()

    def do_GET(self):
        link = self.links.get(self.path, "")
        page = ('<!doctype html><title>portal %s</title><a href="%s" style="display:block;'
                'position:fixed;inset:0;background:#36c" onclick="navigator.sendBeacon('
                "'/clicked' + location.pathname)\">launch</a>"
                % (self.path, html.escape(link))).encode()
        self.send_response(200)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.end_headers()
        self.wfile.write(page)

    def do_POST(self):
        self.clicked.add(self.path[len("/clicked"):])
        self.send_response(204)
        self.end_headers()

    def log_message(self, *args):
        pass


class Desktop(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.screen, cls.display = start_display("1280x800")
        cls.portal = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Portal)
        threading.Thread(target=cls.portal.serve_forever, daemon=True).start()
        cls.origin = origin = "http://127.0.0.1:%d" % cls.portal.server_address[1]
        # The managed policy that lets the portal's page open torvale:// links
        # without the browser's own question ("protocol" is a string: a list
        # named "protocols" would be taken and ignored); Firefox ESR takes
        # the same. On the namespace's tmpfs: gone with it.
        policy = ('"AutoLaunchProtocolsFromOrigins": [{"protocol": "torvale", '
                  '"allowed_origins": ["%s"]}]' % origin)
        for path, text in (("/etc/chromium/policies/managed/torvale-test.json", "{%s}" % policy),
                           ("/etc/firefox/policies/policies.json", '{"policies": {%s, '
                            '"OverrideFirstRunPage": "", '
                            '"DontCheckDefaultBrowser": true}}' % policy)):
            os.makedirs(os.path.dirname(path))
            with open(path, "w") as file:
                file.write(text)

    @classmethod
    def tearDownClass(cls):
        cls.portal.shutdown()
        for process in cls.screen:
            process.kill()
            process.wait()

    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="torvale-desktop-")
        self.home, self.bin = self.root + "/home", self.root + "/bin"
        os.makedirs(self.home + "/.config/filezilla")
        os.makedirs(self.bin)
        self.env = {"HOME": self.home, "DISPLAY": self.display, "PATH": self.bin + ":/usr/bin:/bin",
                    "TORVALE_TEST": self.root, "XDG_CONFIG_HOME": self.home + "/.config",
                    "XDG_DATA_HOME": self.home + "/.local/share", "LC_ALL": "C.UTF-8"}
        self.env.update((k, v) for k, v in os.environ.items() if k.endswith("SAN_OPTIONS"))
        # FileZilla's first-run greeting, and its question before plain FTP.
        self.write(".config/filezilla/filezilla.xml",
                   '<FileZilla3><Settings><Setting name="Greeting version">99</Setting>'
                   '</Settings></FileZilla3>')
        self.write(".config/filezilla/trustedcerts.xml",
                   '<FileZilla3><InsecureHosts><Host Port="21">127.0.0.1</Host>'
                   '</InsecureHosts></FileZilla3>')
        # The gateway of most tests is trusted, as a user's is after the
        # first question of a remote desktop that shares the clipboard.
        self.preferences = self.home + "/.config/torvale/torvale.conf"
        self.write(".config/torvale/torvale.conf",
                   "TrustedGateways=127.0.0.1,clipboard\nTrustedGateways=10.0.0.1,clipboard\n")
        # Registered as a user would, for the installed desktop entry.
        subprocess.run(["xdg-mime", "default", "torvale.desktop", "x-scheme-handler/torvale"],
                       env=self.env, check=True, timeout=WAIT)

    def tearDown(self):
        self.end_started()
        shutil.rmtree(self.root, ignore_errors=True)

    def end_started(self):
        # The clients and their watchers run in sessions of their own: they
        # are found by the TORVALE_TEST they inherited.
        # A watcher first, so that it tells of no client it sees end.
        watchers = [p for p in self.started() if b"--watch-client" in read("/proc/%d/cmdline" % p)]
        for sig, started in (("-KILL", watchers), ("-TERM", None), ("-KILL", None)):
            started = self.started() if started is None else started
            subprocess.run(["kill", sig, "--", *map(str, started)], stderr=subprocess.DEVNULL)
            time.sleep(0.3)

    def write(self, name, text):
        os.makedirs(os.path.dirname(self.home + "/" + name), exist_ok=True)
        with open(self.home + "/" + name, "w") as out:
            out.write(text)

    def started(self):
        mark = ("TORVALE_TEST=" + self.root).encode()
        return [int(pid) for pid in filter(str.isdigit, os.listdir("/proc"))
                if mark in read("/proc/%s/environ" % pid).split(b"\0")]

    def programs(self):
        return [os.path.basename(read("/proc/%d/cmdline" % pid).split(b"\0")[0]).decode()
                for pid in self.started()]

    def spawn(self, argv, **options):
        process = subprocess.Popen(argv, **{"env": self.env, "stdout": subprocess.DEVNULL,
                                            "stderr": subprocess.DEVNULL, **options})
        self.addCleanup(lambda: (process.kill(), process.wait()))
        return process

    def torvale(self, fields):
        result = subprocess.run(["/usr/bin/torvale-desktop", "torvale://" + fields], env=self.env,
                                capture_output=True, timeout=WAIT, text=True)
        self.assertEqual((result.returncode, result.stdout), (0, ""))
        return result.stderr

    def xdotool(self, *args, check=True):
        return subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True,
                              check=check, timeout=WAIT).stdout.strip()

    def windows(self, named):
        """The visible windows whose name `named` accepts (xdotool finds none
        before the first one maps)."""
        found = self.xdotool("search", "--onlyvisible", "--name", ".", check=False).split()
        return [w for w in found if named(self.xdotool("getwindowname", w, check=False))]

    def answer(self, title, *keys):
        """Waits for the dialog of that title, then types into it as a user
        would, once it holds the focus: Chromium takes the focus back a moment
        after its click, and keys typed before would go to Chromium."""
        window = poll(lambda: self.windows(lambda name: name == title), "the dialog " + title)[0]
        steady = 0
        for _ in range(WAIT * 10):
            if self.xdotool("getactivewindow", check=False) != window:
                steady = 0
                self.xdotool("windowactivate", window, check=False)
            elif (steady := steady + 1) == 3:
                break
            time.sleep(0.1)
        self.xdotool("key", "--delay", "50", *keys)

    def click(self, fields, browser="chromium", user=None, profile=None):
        """The browser (as `user`, a uid, then owning the home) opens a portal
        page whose one link is the launch URL, and the mouse clicks it; with a
        `profile` used before, in a tab of the browser still running."""
        page = "/%d" % len(Portal.links)
        Portal.links[page] = "torvale://" + fields
        profile = profile or tempfile.mkdtemp(dir=self.root)
        options = {}
        if user is not None:
            os.chmod(self.root, 0o711)
            subprocess.run(["chown", "-R", "%d:65534" % user, self.home, profile], check=True)
            options = {"user": user, "group": 65534, "extra_groups": []}
        argv = {"firefox-esr": ["firefox-esr", "--no-remote", "--profile", profile],
                "chromium": ["chromium", "--no-sandbox", "--disable-gpu", "--disable-quic",
                             "--no-first-run", "--disable-background-networking",
                             "--disable-component-update", "--disable-sync",
                             "--password-store=basic", "--user-data-dir=" + profile,
                             "--window-position=0,0", "--window-size=1280,800"]}[browser]
        opened = self.spawn(argv + [self.origin + page], start_new_session=True, **options)
        # One that handed its page to the browser running has ended already.
        self.addCleanup(lambda: subprocess.run(["kill", "-KILL", "--", "-%d" % opened.pid],
                                               stderr=subprocess.DEVNULL))
        # The title names the page: an earlier test's browser may still show its own.
        window = poll(lambda: self.windows(lambda name: name.startswith("portal %s " % page)),
                      browser + "'s portal page")[0]
        self.xdotool("windowactivate", "--sync", window)
        self.xdotool("mousemove", "--window", window, "640", "400")
        for _ in range(WAIT):  # a click before the page takes input is dropped: click again
            self.xdotool("click", "1")
            if wait_for(lambda: page in Portal.clicked, 1):
                return
        raise AssertionError("the portal page took no click")

    def link(self, action, **values):
        values = {"username": "ops--web", "sid": "57", "entrust_password": "1",
                  "password": PASSWORD, "proxy_addr": "127.0.0.1", **values}
        return "&action=%s&%s&" % (action, "&".join(
            "%s=%s" % (key, urllib.parse.quote(value, safe="")) for key, value in values.items()))

    def sshd(self):
        """OpenSSH on a free port of 127.0.0.1, its own configuration and host
        key, and LOGIN a user of this namespace alone, with PASSWORD."""
        users = ({entry.pw_name for entry in pwd.getpwall()} |
                 {entry.pw_uid for entry in pwd.getpwall()})
        if {LOGIN, 54331, DESKTOP_UID} & users:
            self.skipTest("this machine has a user %s, or uid 54331 or %d, already"
                          % (LOGIN, DESKTOP_UID))
        secret = subprocess.run(["openssl", "passwd", "-6", "-stdin"], input=PASSWORD, text=True,
                                capture_output=True, check=True).stdout.strip()
        for name, line in (("passwd", "%s:x:54331:65534::/nonexistent:/bin/sh\n"
                                      "torvale-desk:x:%d:65534::%s:/bin/sh"
                            % (LOGIN, DESKTOP_UID, self.home)),
                           ("shadow", "%s:%s:20000:0:99999:7:::" % (LOGIN, secret))):
            copy = self.root + "/" + name
            shutil.copy("/etc/" + name, copy)
            with open(copy, "a") as out:
                out.write(line + "\n")
            subprocess.run(["mount", "--bind", copy, "/etc/" + name], check=True)
            self.addCleanup(lambda target="/etc/" + name: subprocess.run(["umount", target]))
        with socket.create_server(("127.0.0.1", 0)) as probe:
            port = probe.getsockname()[1]
        subprocess.run(["ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f",
                        self.root + "/host_key"], check=True)
        with open(self.root + "/sshd_config", "w") as config:
            config.write("Port %d\nListenAddress 127.0.0.1\nHostKey %s/host_key\nPidFile none\n"
                         "PasswordAuthentication yes\nKbdInteractiveAuthentication no\nUsePAM no\n"
                         "PermitRootLogin no\nSubsystem sftp internal-sftp\n" % (port, self.root))
        os.makedirs("/run/sshd", exist_ok=True)
        log = self.root + "/sshd.log"
        self.spawn(["/usr/sbin/sshd", "-D", "-f", self.root + "/sshd_config", "-E", log])
        poll(lambda: b"Server listening" in read(log), "sshd")
        return port, log

    def test_a_click_in_chromium_logs_filezilla_in_to_sshd_once_the_host_is_trusted(self):
        os.remove(self.preferences)
        port, log = self.sshd()
        link = self.link("StartFileZilla", protocol="sftp", sshport=str(port))
        # Cancel (Escape, as a user may) starts nothing.
        self.click(link)
        self.answer("确认连接", "Escape")
        # Once the handler has ended, whatever it started has started.
        poll(lambda: "torvale-desktop" not in self.programs(), "torvale-desktop to end")
        self.assertNotIn("filezilla", self.programs())
        # The check box stands above Cancel, which has the focus; Connect after it.
        self.click(link)
        self.answer("确认连接", "shift+Tab", "space", "Tab", "Tab", "space")
        self.answer("Unknown host key", "Return")
        accepted = ("Accepted password for %s from 127.0.0.1" % LOGIN).encode()
        poll(lambda: accepted in read(log), "sshd to accept the link's login and password")
        with open(self.preferences) as conf:
            self.assertEqual(conf.read(), "TrustedGateways=127.0.0.1\n")

    def test_every_example_link_of_the_reference_reaches_the_handler_as_written(self):
        """Clicked in Chromium, each example link of the reference the dry run
        finds no raw trouble in reaches the handler exactly as written, and none
        it warns of does: the warnings say what browsers really do."""
        received, recorder = self.root + "/received", self.root + "/recorder"
        with open(recorder, "w") as out:
            out.write('#!/bin/sh\nprintf "%%s\\n" "$1" >> %s\n' % received)
        os.chmod(recorder, 0o755)
        self.write(".local/share/applications/recorder.desktop",
                   "[Desktop Entry]\nType=Application\nName=Recorder\nExec=%s %%u\n"
                   "MimeType=x-scheme-handler/torvale;\n" % recorder)
        subprocess.run(["xdg-mime", "default", "recorder.desktop", "x-scheme-handler/torvale"],
                       env=self.env, check=True, timeout=WAIT)
        links = list(dict.fromkeys(re.findall(r"'(torvale://[^']*)'", DOCS["launch-urls.md"])))
        warned = [link for link in links if "which browsers block or rewrite" in subprocess.run(
            ["/usr/bin/torvale", "-n", link], env=self.env, capture_output=True, text=True,
            timeout=WAIT).stdout]
        self.assertGreater(len(links) - len(warned), 40)
        profile = tempfile.mkdtemp(dir=self.root)
        arrived = lambda: read(received).decode().split("\n")
        for link in links:
            self.click(link[len("torvale://"):], profile=profile)
            if link not in warned:
                poll(lambda: link in arrived(), "the handler to receive " + link)
        self.assertEqual([link for link in warned if link in arrived()], [])

    def test_a_link_the_portal_signed_logs_in_unasked_and_once(self):
        os.remove(self.preferences)  # nothing trusted: only the signature lets it through
        port, log = self.sshd()
        key = self.root + "/portal.pem"
        subprocess.run(["openssl", "genpkey", "-algorithm", "EC", "-pkeyopt",
                        "ec_paramgen_curve:P-256", "-out", key], check=True)
        public = subprocess.run(["openssl", "pkey", "-in", key, "-pubout", "-outform", "DER"],
                                capture_output=True, check=True).stdout
        # The administrator's file (on the namespace's tmpfs), root's and 0644.
        with open("/etc/torvale/configuration.ini", "w") as config:
            config.write("[signing]\nkey.portal = es256:%s\nrequire = yes\n"
                         % base64.b64encode(public).decode())
        self.addCleanup(os.remove, "/etc/torvale/configuration.ini")
        # Signed by the Python example of the portal developers' guide.
        example = DOCS["signed-links.md"].split("```python\n")[1].split("```")[0]
        fields = ("&action=StartFileZilla&protocol=sftp&username=ops--web&sid=57&"
                  "entrust_password=1&password=%s&proxy_addr=127.0.0.1&sshport=%d&"
                  % (PASSWORD, port))
        link = subprocess.run([sys.executable, "-c", example, key, "portal", fields],
                              capture_output=True, text=True, check=True).stdout.strip()
        self.click(link[len("torvale://"):])
        self.answer("Unknown host key", "Return")
        accepted = ("Accepted password for %s from 127.0.0.1" % LOGIN).encode()
        poll(lambda: accepted in read(log), "sshd to accept the signed link's login")
        # The same link again, as from the history: refused, nothing started.
        self.click(link[len("torvale://"):])
        self.answer("抱歉", "Return")
        poll(lambda: "torvale-desktop" not in self.programs(), "torvale-desktop to end")
        self.assertEqual(self.programs().count("filezilla"), 1)

    def test_without_securecrt_a_click_logs_ssh_in_through_xterm_the_password_held_nowhere(self):
        os.remove(self.preferences)
        port, log = self.sshd()
        self.click(self.link("StartSecureCRT", protocol="ssh2", sshport=str(port)),
                   user=DESKTOP_UID)
        # Connect, once: Cancel has the focus.
        self.answer("确认连接", "Tab", "space")
        terminal = poll(lambda: self.xdotool("search", "--onlyvisible", "--class", "xterm",
                                             check=False).split(), "the terminal")[0]
        # The helper asks the host key question in the terminal, ssh's argument to it.
        poll(lambda: any(b"(yes/no/[fingerprint])?" in read("/proc/%d/cmdline" % pid)
                         for pid in self.started()), "the host key question")
        self.xdotool("windowactivate", "--sync", terminal)
        self.xdotool("type", "--delay", "50", "yes\n")
        accepted = ("Accepted password for %s from 127.0.0.1" % LOGIN).encode()
        poll(lambda: accepted in read(log), "sshd to accept the link's login and password")
        self.assertEqual(self.holding(PASSWORD.encode()), [])

    def holding(self, secret):
        places = ["/proc/%s/%s" % (pid, part) for pid in filter(str.isdigit, os.listdir("/proc"))
                  for part in ("cmdline", "environ")]
        for top in (self.home, "/tmp"):
            places += [os.path.join(directory, name) for directory, _, names in os.walk(top)
                       for name in names]
        return [place for place in places if os.path.isfile(place) and secret in read(place)]

    def test_a_click_in_firefox_logs_filezilla_in_to_an_ftp_server_with_the_links_values(self):
        try:
            socket.create_server(("127.0.0.1", 21)).close()
        except OSError as error:
            self.skipTest("port 21: %s" % error)
        log = self.root + "/ftp.log"
        # pyftpdlib, which only lets in LOGIN with PASSWORD, and says so.
        server = ("import logging, sys, pyftpdlib.authorizers as a, pyftpdlib.handlers as h, "
                  "pyftpdlib.servers as s\nlogging.disable(logging.CRITICAL)\n"
                  "class Handler(h.FTPHandler):\n    authorizer = a.DummyAuthorizer()\n"
                  "    def on_login(self, name):\n"
                  "        open(sys.argv[4], 'w').write('logged in ' + name)\n"
                  "Handler.authorizer.add_user(*sys.argv[1:4])\n"
                  "s.FTPServer(('127.0.0.1', 21), Handler).serve_forever()\n")
        self.spawn(["/usr/bin/python3", "-c", server, LOGIN, PASSWORD, self.root, log])
        poll(lambda: listening(21), "the FTP server")
        self.click(self.link("StartFileZilla", protocol="ftp"), "firefox-esr")
        self.assertEqual(poll(lambda: read(log), "the FTP login"), ("logged in " + LOGIN).encode())

    def test_freerdp_takes_every_switch_that_passes_and_with_remmina_no_password_stays(self):
        for fields in ["&action=StartMstscAutoRun&path=C:%5CTools%5CViewer.exe+-r&"] + [
                "&action=StartMstsc&rdparg=%s&" % switch
                for switch in ("admin", "f", "span", "multimon", "public")]:
            self.connects(fields)
        data = self.home + "/Documents/torvale/"
        for client in ("xfreerdp", "remmina"):
            self.write("Documents/torvale/configuration.ini",
                       "[clients]\nRemote Desktop Connection = /usr/bin/%s\n"
                       "Microsoft Remote Desktop = /usr/bin/%s\n" % (client, client))
            for fields, read in (("&action=StartMstscAutoRun&password=pw&", "activex_autorun.rdp"),
                                 ("&action=StartMstsc&target_ip=t&entrust_password=1&password=pw&",
                                  "t.rdp")):
                self.connects(fields)
                poll(lambda: not os.path.exists(data + read), "%s to have read %s" % (client, read))

    def connects(self, fields):
        """The launch's client comes to a listener, closed once it has come (so no
        retry waits on it), with the link's login."""
        with socket.create_server(("127.0.0.1", 0)) as server:
            server.settimeout(WAIT)
            self.assertEqual(self.torvale("%slocalhost=127.0.0.1:%d&username=u&"
                                          % (fields, server.getsockname()[1])), "")
            connection = server.accept()[0]
        with connection:
            connection.settimeout(WAIT)
            self.assertIn(b"Cookie: mstshash=u\r\n", connection.recv(4096), fields)

    def test_freerdp_reaches_a_gateway_with_its_own_certificate_once_the_user_trusts_it(self):
        """freerdp-shadow-cli shares this screen over TLS with the self-signed
        certificate it made on its first start and keeps in its home; each
        answer to "确认证书" is FreeRDP's."""
        with socket.socket() as free:
            free.bind(("127.0.0.1", 0))
            port = free.getsockname()[1]
        link = "&action=StartMstsc&localhost=127.0.0.1%%3A%d&username=u&" % port
        passes, log = self.home + "/.local/state/torvale/torvale.log", self.root + "/shadow.log"
        always = ["shift+Tab", "space", "Tab", "Tab", "space"]  # the box ticked, then 连接
        for keys, ended in ((["Escape"], b"cancelled: the server's certificate not trusted\n"),
                            (["Tab", "space"], None), (always, None), ([], None)):
            # A server for each session: one that saw a client killed may
            # never open the next session.
            with open(log, "w") as out:  # its log lines as they come, this server's alone
                server = self.spawn(["stdbuf", "-oL", "freerdp-shadow-cli",
                                     "/bind-address:127.0.0.1", "/port:%d" % port, "/sec:tls",
                                     "-auth"], stdout=out, env={"HOME": self.root,
                                     "DISPLAY": self.display, "PATH": "/usr/bin:/bin"})
            poll(lambda: listening(port), "freerdp-shadow-cli")
            self.click(link)
            if keys:
                self.answer("确认证书", *keys)
            if ended:
                poll(lambda: read(passes).endswith(ended), "the pass line")
                self.assertNotIn(b"is activated", read(log))
            else:
                # The server encodes the shared screen as it opens a session: on a
                # busy machine, and under the sanitizers, that takes longer.
                poll(lambda: b"Client from 127.0.0.1 is activated" in read(log), "the session",
                     3 * WAIT)
                poll(lambda: self.windows(lambda name: name == "FreeRDP: 127.0.0.1:%d" % port),
                     "FreeRDP's window")
                # Kept by FreeRDP itself after "always": the last click asks nothing.
                self.assertEqual(self.windows(lambda name: name == "确认证书"), [])
            self.end_started()
            server.kill()
            server.wait()

    def test_a_common_name_holding_a_forged_question_is_refused_and_never_shown(self):
        """tests/support/forged_freerdp.py, in each of its ways: "N" is typed, the
        user is told, and no command line of ours names the launch."""
        self.write("Documents/torvale/configuration.ini",
                   "[clients]\nRemote Desktop Connection = %s/tests/support/forged_freerdp.py\n"
                   % SOURCE)
        passes = self.home + "/.local/state/torvale/torvale.log"
        for parts in ("1", "2", "3"):
            self.env["FORGED_PARTS"] = parts
            self.torvale("&action=StartMstscAutoRun&localhost=127.0.0.1&password=pw&")
            if parts == "3":
                # Stalled past the watcher's wait, the forged question is shown; the
                # real one comes while it is: "始终信任此证书" ticked goes nowhere.
                poll(lambda: os.path.exists(self.home + "/written"), "the real question")
                self.answer("确认证书", "shift+Tab", "space", "Tab", "Tab", "space")
            os.remove(self.home + "/written")
            self.answer("抱歉", "Return")
            poll(lambda: read(passes).endswith(b"| refused: a forged certificate question "
                                               b"answered no\n"), "the pass line")
            self.assertEqual(self.windows(lambda name: name == "确认证书"), [])
            self.assertEqual(read(self.home + "/typed"), b"N\n")
            ancestors = read(self.home + "/ancestors")
            self.assertTrue(ancestors and b"pw" not in ancestors and b"127.0.0.1" not in ancestors)

    def test_a_client_that_fails_after_four_seconds_is_reported(self):
        with socket.create_server(("127.0.0.1", 0)) as server:
            self.assertEqual(self.torvale("&action=StartMstsc&localhost=127.0.0.1:%d&"
                                          % server.getsockname()[1]), "")
            server.settimeout(WAIT)
            with server.accept()[0]:
                time.sleep(4)
        self.answer("抱歉", "Return")
        line = read(self.home + "/.local/state/torvale/torvale.log").decode()
        self.assertRegex(line, r"\| client failed: exit status \d+ after [4-9] s\n$")

    def shown(self, title):
        result = subprocess.run(["/usr/bin/python3", "-c", ATSPI, title], env=self.env,
                                capture_output=True, text=True, timeout=WAIT)
        return json.loads(result.stdout or "[]")

    def test_dont_show_again_through_xdg_open_and_the_menu_entrys_window_brings_alerts_back(self):
        # A session bus, where AT-SPI reads what the windows show.
        bus = self.spawn(["dbus-daemon", "--session", "--nofork", "--print-address"],
                         stdout=subprocess.PIPE, text=True)
        self.addCleanup(bus.stdout.close)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
        opener = self.spawn(["xdg-open", "torvale://&action=Nope&"])
        # OK has the focus, the check button stands before it.
        self.answer("错误", "shift+Tab", "space", "Escape")
        self.assertEqual(opener.wait(timeout=WAIT), 0)
        self.assertTrue(read(self.preferences).endswith(b"\nAlertSuppression=true\n"))
        self.assertEqual(self.torvale("&action=Nope&"), "Alert suppressed\n")
        # As a menu starts it: the entry's Exec line, its %u given no link.
        entry = read("/usr/share/applications/torvale.desktop").decode()
        self.assertNotIn("NoDisplay", entry)
        self.spawn([re.search(r"^Exec=(\S+) %u$", entry, re.M).group(1)])
        off = ["提醒已关闭：启动失败时不会有任何提示。", "重新显示提醒"]
        poll(lambda: self.shown("Torvale")[:2] == off, "the window, alerts off")
        self.answer("Torvale", "Return")  # the button has the focus
        poll(lambda: b"AlertSuppression" not in read(self.preferences), "the setting removed")
        doctor = subprocess.run(["/usr/bin/torvale-desktop", "--doctor"], env=self.env,
                                capture_output=True, text=True, timeout=WAIT).stdout
        log = self.home + "/.local/state/torvale/torvale.log"
        report = "检查（torvale-desktop --doctor）：\n%s\n最近的启动（%s）：\n%s" % (
            doctor, log, read(log).decode())
        on = ["提醒已开启。", "重新显示提醒", report]
        poll(lambda: self.shown("Torvale") == on, "the window, alerts on")
        self.spawn(["/usr/bin/torvale-desktop", "torvale://&action=Nope&"])
        box = "不再显示任何提醒（可从应用程序菜单打开 Torvale 恢复）"
        poll(lambda: self.shown("错误") == ["错误", "未知接口", box, "确定"], "the alert")
        self.answer("错误", "Return")

    def test_on_a_small_screen_the_question_shows_the_whole_host_and_its_buttons(self):
        # A display of its own, 1024x600, as a small laptop's.
        screen, self.env["DISPLAY"] = start_display("1024x600")
        for process in screen:
            self.addCleanup(lambda p=process: (p.kill(), p.wait()))
        host = "rdp.corp.example.com.%s.attacker-owned.net" % ".".join(["a" * 60] * 3)
        drives = "%3B".join("/srv/share%d" % i for i in range(420))
        os.remove(self.preferences)
        self.spawn(["/usr/bin/torvale-desktop",
                    "torvale://&action=StartMstsc&localhost=%s&disk=*%%3B%s&" % (host, drives)])
        window = poll(lambda: self.windows(lambda name: name == "确认连接"), "the question")[0]
        geometry = dict(l.split("=")
                        for l in self.xdotool("getwindowgeometry", "--shell", window).split())
        x, y, width, height = (int(geometry[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))
        # The whole window, so its buttons at the bottom, lies inside the screen.
        self.assertTrue(x >= 0 and y >= 0 and x + width <= 1024 and y + height <= 600,
                        (x, y, width, height))
        self.answer("确认连接", "Escape")


def main():
    mode, source = sys.argv[1:3]
    if "TORVALE_DESKTOP_ROOT" not in os.environ:
        if os.geteuid() != 0:
            print("skipped: laying the package over /usr, in a mount namespace of its own, "
                  "needs root")
            return 77
        missing = [p for p in ("Xvfb", "openbox", "xdotool", "import", "xdg-open", "filezilla",
                               "xfreerdp", "freerdp-shadow-cli", "remmina", "xterm",
                               "x-terminal-emulator", "ssh", "dbus-daemon",
                               "chromium", "firefox-esr", "/usr/sbin/sshd", "openssl", "dpkg-deb")
                   if not shutil.which(p)]
        if missing:
            print("skipped: not installed: " + " ".join(missing))
            return 77
        root = tempfile.mkdtemp(prefix="torvale-package-")
        # The mount point of the administrator's file, gone again afterwards.
        made = not os.path.exists("/etc/torvale")
        os.makedirs("/etc/torvale", exist_ok=True)
        try:
            if mode == "--deb":
                subprocess.run(["dpkg-deb", "-x", source, root], check=True)
            else:
                subprocess.run(["cmake", "--install", source, "--prefix", "/usr"], check=True,
                               env=dict(os.environ, DESTDIR=root), stdout=subprocess.DEVNULL)
            # Only a shared mount carries ours out. In a chroot "/" is no mount
            # point and cannot be made private; where nothing is shared, none need be.
            shared = b" shared:" in open("/proc/self/mountinfo", "rb").read()
            return subprocess.run(["unshare", "-m", "--propagation",
                                   "private" if shared else "unchanged", sys.executable, *sys.argv],
                                  env=dict(os.environ, TORVALE_DESKTOP_ROOT=root)).returncode
        finally:
            shutil.rmtree(root, ignore_errors=True)
            if made:
                os.rmdir("/etc/torvale")
    # In the namespace: the package over /usr, the browsers' policies, the
    # administrator's configuration and /tmp on tmpfs (folders of root's that
    # only root may write, as torvale wants the administrator's).
    root = os.environ["TORVALE_DESKTOP_ROOT"]
    subprocess.run(["mount", "-t", "overlay", "overlay", "-o", "lowerdir=%s/usr:/usr" % root,
                    "/usr"], check=True)
    # A /tmp of its own, whose every file the SSH test can read through;
    # the overlay above keeps the package it was laid from.
    for name in ("launch-urls.md", "signed-links.md"):
        with open(SOURCE + "/docs/" + name) as doc:
            DOCS[name] = doc.read()
    subprocess.run(["mount", "-t", "tmpfs", "tmpfs", "/tmp"], check=True)
    for etc in ("/etc/chromium", "/etc/firefox", "/etc/torvale"):
        os.makedirs(etc, exist_ok=True)
        subprocess.run(["mount", "-t", "tmpfs", "-o", "mode=755", "tmpfs", etc], check=True)
    program = unittest.main(argv=sys.argv[:1], verbosity=2, exit=False)
    return 0 if program.result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
