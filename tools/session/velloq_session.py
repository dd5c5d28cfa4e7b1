"""Velloq Parlor against the demo organisation's server, as the demo and the end-to-end tests run
it: the demo server on loopback, a fresh home whose stores are seeded, the program on a session
bus of its own (under Xvfb without a display), found and waited for through its accessibility
tree, and stopped with everything it started.

  velloq_session.py demo BUILD [--from-code-entry] [--language L] [--screenshot PATH]

runs the demo of BUILD (a build folder holding the bundle and the demo server) until the program
ends; without a display it saves a screenshot of the first screen instead and quits the program.
Run with the system's /usr/bin/python3, which has python3-pyatspi."""
import argparse
import contextlib
import ctypes
import fcntl
import json
import os
import plistlib
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import time

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
APP_ID = "app.velloq.Parlor"
DEMO_PORT = 18480
DEMO_BASE = f"http://127.0.0.1:{DEMO_PORT}/"
_INSIDE = "VELLOQ_SESSION_ISOLATED"
_HEADLESS = "VELLOQ_SESSION_HEADLESS"  # the X server is the session's own


def isolate(network=True, display=True):
    """Runs this script again on a session bus of its own (the accessibility bus is activated from
    it), under an X server of its own unless DISPLAY is kept, and with NETWORK in a network
    namespace where only loopback is up (the demo server takes its port without meeting another's)."""
    if os.environ.get(_INSIDE):
        return
    if network:
        libc = ctypes.CDLL(None, use_errno=True)
        if libc.unshare(0x40000000) != 0:  # CLONE_NEWNET
            sys.exit(f"unshare(CLONE_NEWNET): {os.strerror(ctypes.get_errno())}")
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
            flags = struct.unpack("16sH14x", fcntl.ioctl(probe, 0x8913, struct.pack("16sH14x", b"lo", 0)))[1]
            fcntl.ioctl(probe, 0x8914, struct.pack("16sH14x", b"lo", flags | 1))  # SIOCSIFFLAGS, IFF_UP
    env = dict(os.environ, PYTHONWARNINGS="ignore", **{_INSIDE: "1"})  # pyatspi's deprecations
    env.pop("NO_AT_BRIDGE", None)  # the program's accessibility bridge is what is read
    env.pop("DBUS_SESSION_BUS_ADDRESS", None)
    command = ["dbus-run-session", "--", sys.executable, *sys.argv]
    if not display:
        env[_HEADLESS] = "1"
        command = ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24 -nolisten tcp", *command]
    os.execvpe(command[0], command, env)


def wait_for(predicate, limit=20.0, what="the condition"):
    """The first true value of predicate() within limit seconds; AssertionError otherwise."""
    deadline = time.monotonic() + limit
    while True:
        with contextlib.suppress(Exception):  # the tree changes under a walk
            value = predicate()
            if value:
                return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out waiting for {what}")
        time.sleep(0.1)


def localized(language, key):
    """The string KEY of the program's string table for LANGUAGE."""
    folder = {"en-US": "en", "zh-TW": "zh-Hant", "zh-CN": "zh-Hans"}[language]
    with open(os.path.join(SOURCE_DIR, "resources", f"{folder}.lproj", "Localizable.strings"), "rb") as table:
        return plistlib.load(table)[key]


def servers(*entries):
    """The stored server list of (sequence, organisation) entries on the demo server."""
    return json.dumps([{"Sequence": sequence, "ServerName": name, "Url": f"{DEMO_BASE}orgs/{name}/", "IsCnUrl": 0}
                       for sequence, name in entries])


def sign_setting_code(build, payload_name, key=None):
    """A signed setting code for the demo server's payload file, signed with the test key or KEY."""
    command = [os.path.join(build, "tools/demo-server/velloq-sign-setting-code"), "--base", DEMO_BASE,
               os.path.join(SOURCE_DIR, "tools/demo-server/data/payloads", payload_name)]
    if key:
        command[1:1] = ["--key", key]
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout.strip()


class Session:
    """The demo server and the program of BUILD (or COMMAND) with a fresh home, started on
    entering the context and stopped on leaving it; `ready()` (waited for on entering) is what a
    subclass expects shown. SERVERS (a list's JSON text) and CHOSEN seed the stores."""

    def __init__(self, build, language="en-US", servers=None, chosen=None, seed_settings=True, command=None,
                 test_routes=False):
        import pyatspi
        self.atspi = pyatspi
        self.build = build
        self.language = language
        self.command = command or [os.path.join(build, "Velloq Parlor.app/Contents/MacOS/Velloq Parlor")]
        self.test_routes = test_routes
        self.home = tempfile.mkdtemp(prefix="velloq-session-")
        self.documents = os.path.join(self.home, "Documents")
        os.makedirs(self.documents)
        self._processes = []
        settings = {"language": language, "downloadFileSavePath": self.home}
        if chosen is not None:
            settings["serverSequence"] = chosen
        if seed_settings:
            self.write_plist("Q7ZAppSettingConfig.plist", settings)
        if servers is not None:
            self.write_plist("Q7ZRemoteConfig.plist", {"remoteTitle": "", "remoteTitleIcon": "", "version": "",
                                                       "serverListJsonString": servers})

    def __enter__(self):
        try:
            self._start_demo_server()
            self.program = self.spawn(self.command)
            self.ready()
        except BaseException:
            self.__exit__()
            raise
        return self

    def ready(self):
        self.window()

    def __exit__(self, *_):
        for process in reversed(self._processes):
            process.terminate()
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
            if process.stdout:
                process.stdout.close()
        shutil.rmtree(self.home, ignore_errors=True)

    def text(self, key):
        return localized(self.language, key)

    def write_plist(self, name, values):
        with open(os.path.join(self.documents, name), "wb") as out:
            plistlib.dump(values, out)

    def read_plist(self, name):
        with open(os.path.join(self.documents, name), "rb") as stored:
            return plistlib.load(stored)

    def spawn(self, command, **options):
        env = dict(os.environ, HOME=self.home, XDG_CONFIG_HOME=f"{self.home}/.config",
                   XDG_DATA_HOME=f"{self.home}/.local/share", XDG_CACHE_HOME=f"{self.home}/.cache")
        process = subprocess.Popen(command, env=env, **options)
        self._processes.append(process)
        return process

    def _start_demo_server(self):
        command = [os.path.join(self.build, "tools/demo-server/velloq-demo-server"), "--port", str(DEMO_PORT)]
        server = self.spawn(command + (["--with-test-routes"] if self.test_routes else []), stdout=subprocess.PIPE,
                            text=True)
        line = server.stdout.readline()
        if not line.startswith("listening on "):
            raise RuntimeError(f"the demo server did not start: {line!r}")

    # The accessibility tree -----------------------------------------------------------------

    def application(self):
        return wait_for(lambda: next(app for app in self.atspi.Registry.getDesktop(0)
                                     if app is not None and app.name == APP_ID),
                        40, "the program on the accessibility bus")

    def windows(self, name=None):
        return [window for window in self.application()
                if window and window.getState().contains(self.atspi.STATE_SHOWING) and name in (None, window.name)]

    def window(self, name=None):
        return wait_for(lambda: self.windows(name)[0], 20, f"a window named {name!r}")

    def find_all(self, root, role, name=None, showing=True):
        """The controls under ROOT of ROLE (and NAME); a web page is searched only as ROOT."""
        found, queue = [], [root]
        while queue:
            node = queue.pop(0)
            if node is None:
                continue
            state = node.getState()
            if showing and not state.contains(self.atspi.STATE_SHOWING) and node is not root:
                continue
            if node.getRoleName() == role and name in (None, node.name):
                found.append(node)
            if node is root or node.getRoleName() != "document web":
                queue.extend(node)
        return found

    def first_screen_shown(self, entry_screen):
        """Whether the entry screen's code field shows, or else the web app's page has loaded."""
        if entry_screen:
            return bool(self.find_all(self.window(), "text", self.text("m744")))
        pages = self.find_all(self.window(), "document web", showing=False)
        return any(not page.getState().contains(self.atspi.STATE_BUSY) for page in pages)

    def screenshot(self, path):
        subprocess.run(["import", "-window", "root", path], check=True)

    def quit(self):
        """Asks the program to quit as File ▸ Quit does, and waits for it to end."""
        subprocess.run(["gdbus", "call", "--session", "-d", APP_ID, "-o", "/" + APP_ID.replace(".", "/"), "-m",
                        "org.gtk.Actions.Activate", "quit", "[]", "{}"], capture_output=True, timeout=10)
        self.program.wait(10)


def demo(arguments):
    options = argparse.ArgumentParser(prog="velloq_session.py demo")
    options.add_argument("build")
    options.add_argument("--from-code-entry", action="store_true")
    options.add_argument("--language", default="en-US", choices=["en-US", "zh-TW", "zh-CN"])
    options.add_argument("--screenshot", default="build/demo-screenshot.png")
    options = options.parse_args(arguments)
    isolate(network=False, display=bool(os.environ.get("DISPLAY")))
    headless = os.environ.get(_HEADLESS) == "1"
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))  # a stopped demo stops what it started
    chosen = None if options.from_code_entry else 0
    listed = "" if options.from_code_entry else servers((0, "acme"))
    with Session(options.build, options.language, servers=listed, chosen=chosen, test_routes=True) as session:
        if options.from_code_entry:
            code_file = os.path.join(options.build, "demo-setting-code.txt")
            with open(code_file, "w") as out:
                out.write(sign_setting_code(options.build, "acme-one.json"))
            print(f"enterprise codes: velloq-one, velloq-three; setting code: {code_file}")
        if not headless:
            session.program.wait()
            return 0
        wait_for(lambda: session.first_screen_shown(options.from_code_entry), 60, "the first screen")
        time.sleep(2)  # let the screen finish drawing
        session.screenshot(options.screenshot)
        print(f"screenshot of the first screen: {options.screenshot}")
        session.quit()
    return 0


if __name__ == "__main__":
    if len(sys.argv) < 2 or sys.argv[1] != "demo":
        sys.exit(__doc__)
    sys.exit(demo(sys.argv[2:]))
