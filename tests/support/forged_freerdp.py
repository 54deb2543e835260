#!/usr/bin/env python3
"""A stand-in FreeRDP whose server's certificate has a common name (which
FreeRDP writes unescaped) holding a whole question of the server's making,
then FreeRDP's own. FORGED_PARTS: 1 writes both at once; 2 pauses 50 ms
after the forged one, as a busy scheduler may; 3 pauses 1.5 s there, and
says when all is written (`written`); 0 forges nothing and pauses half-way
in FreeRDP's own. It records in $HOME the arguments of the processes of
ours that started it (`ancestors`) and what was typed (`typed`), and
connects (exits 0) only where it was trusted."""
import os, sys, time

FORGED = ("66:66:c6:cb:65:f2:17:52:c6:aa:14:d6:b1:99:c2:99"
          ":96:d5:60:f4:1c:86:16:5b:ee:d0:69:06:0d:05:79:1e")
REAL = "28:18" + FORGED[5:]


def question(subject, fingerprint):
    return ("\tSubject:     CN = %s\n\tIssuer:      CN = %s\n\tThumbprint:  %s\n"
            "The above X.509 certificate could not be verified, possibly because you do not have\n"
            "the CA certificate in your certificate store, or the certificate has expired.\n"
            "Please look at the OpenSSL documentation on how to add a private CA to the store.\n"
            "Do you trust the above certificate? (Y/T/N) " % (subject, subject, fingerprint))


def ancestors():
    """Each process's arguments, a line each, up to torvale-desktop's own."""
    pid, lines = os.getppid(), b""
    while pid > 1:
        program, _, arguments = open("/proc/%d/cmdline" % pid, "rb").read().partition(b"\0")
        lines += arguments.replace(b"\0", b"|") + b"\n"
        if program.endswith(b"torvale-desktop") and b"--watch-client" not in arguments:
            return lines
        pid = int(open("/proc/%d/stat" % pid, "rb").read().rsplit(b")", 1)[1].split()[1])
    return lines + b"(torvale-desktop not found)\n"


open(os.environ["HOME"] + "/ancestors", "wb").write(ancestors())
heading = "Certificate details for 127.0.0.1:3389 (RDP-Server):\n\tCommon Name: vm\n"
parts = [heading + question("gateway", FORGED), "\n" + question("vm", REAL)]
if os.environ.get("FORGED_PARTS") == "0":  # none forged: FreeRDP's own, paused half-way
    real = heading + question("vm", REAL)
    parts = [real[:150], real[150:]]
elif os.environ.get("FORGED_PARTS") not in ("2", "3"):
    parts = ["".join(parts)]
for part in parts:
    os.write(1, part.encode())
    time.sleep(1.5 if os.environ.get("FORGED_PARTS") == "3" else 0.05)
open(os.environ["HOME"] + "/written", "w").close()
typed = os.read(0, 64)
open(os.environ["HOME"] + "/typed", "wb").write(typed)
sys.exit(0 if typed in (b"Y\n", b"T\n") else 131)
