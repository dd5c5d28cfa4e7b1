"""Velloq Parlor against the demo organisation's server, as the demo, the end-to-end tests and the
benches run it: the demo server on loopback, a fresh home whose stores are seeded, the program on
a session bus of its own (under Xvfb without a display), found and waited for through its
accessibility tree, and stopped with everything it started.

  velloq_session.py demo BUILD [--from-code-entry] [--language L] [--screenshot PATH] [--wayland]

runs the demo of BUILD (a build folder holding the bundle and the demo server) until the program
ends; without a display it saves a screenshot of the first screen instead and quits the program.
With --wayland the program runs on Wayland, in a weston compositor of its own.
Run with the system's /usr/bin/python3, which has python3-pyatspi."""
import argparse
import contextlib
import ctypes
import fcntl
import functools
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

from gi.repository import Gio, GLib

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
APP_ID = "app.velloq.Parlor"
APP_NAME = "Velloq Parlor"
DEMO_PORT = 18480
DEMO_BASE = f"http://127.0.0.1:{DEMO_PORT}/"
_INSIDE = "VELLOQ_SESSION_ISOLATED"
_HEADLESS = "VELLOQ_SESSION_HEADLESS"  # the X server is the session's own


def isolate(network=True, display=True, quiet_bus=False, screen="1280x1024"):
    """Runs this script again on a session bus of its own (the accessibility bus is activated from
    it), under an X server of its own unless DISPLAY is kept, and with NETWORK in a network
    namespace where only loopback is up (the demo server takes its port without meeting another's).
    With QUIET_BUS the bus and the services it starts write to the null device, the script as before.
    SCREEN is the X server's size (room for windows at GDK_SCALE=2 needs twice the default)."""
    if os.environ.get(_INSIDE):
        if headless():
            _wait_for_display()
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
    if quiet_bus:  # the script's output is handed past the bus on descriptors 3 and 4
        command = ["sh", "-c", 'exec "$@" 3>&1 4>&2 >/dev/null 2>&1', "sh", *command[:2],
                   "sh", "-c", 'exec "$@" >&3 2>&4 3>&- 4>&-', "sh", *command[2:]]
    if not display:
        env[_HEADLESS] = "1"
        command = ["xvfb-run", "-a", "-s", f"-screen 0 {screen}x24 -nolisten tcp", *command]
    os.execvpe(command[0], command, env)


def _wait_for_display(limit=20.0):
    """xvfb-run hands over when its server says it is ready, yet a busy machine has refused the
    first program's connection: the session begins once a connection is taken."""
    from Xlib import display, error
    deadline = time.monotonic() + limit
    while True:
        try:
            display.Display().close()
            return
        except error.DisplayError as failure:
            if time.monotonic() > deadline:
                sys.exit(f"the X server of this session takes no connection: {failure}")
            time.sleep(0.1)


def headless():
    """Whether this script runs on an X server of its own, started by `isolate()`."""
    return os.environ.get(_HEADLESS) == "1"


@contextlib.contextmanager
def wayland(windowed=False):
    """Runs what is started inside on Wayland: a weston compositor of its own (WINDOWED in a window
    of the X display, else with its headless back end), its socket in a private runtime folder, and
    GDK_BACKEND=wayland, which lets GTK use no other; stopped and the environment restored
    afterwards."""
    backend = "x11-backend.so" if windowed else "headless-backend.so"
    saved = dict(os.environ)
    with tempfile.TemporaryDirectory() as runtime, subprocess.Popen(
            ["weston", f"--backend={backend}", "--socket=velloq-wayland", "--idle-time=0"],
            env=dict(os.environ, XDG_RUNTIME_DIR=runtime), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL) as weston:
        try:
            wait_for(lambda: os.path.exists(os.path.join(runtime, "velloq-wayland")), 20, "weston's socket")
            os.environ.update(XDG_RUNTIME_DIR=runtime, WAYLAND_DISPLAY="velloq-wayland", GDK_BACKEND="wayland")
            yield
        finally:
            os.environ.clear()
            os.environ.update(saved)
            weston.terminate()


def program_path(build):
    """The program inside BUILD's bundle."""
    return os.path.join(build, f"{APP_NAME}.app/Contents/MacOS/{APP_NAME}")


def helper_path(build):
    """The login-item helper inside BUILD's bundle."""
    helper = f"{APP_NAME} helper"
    return os.path.join(build, f"{APP_NAME}.app/Contents/Library/LoginItems/{helper}.app/Contents/MacOS/{helper}")


def stop(process, limit=10.0):
    """Ends PROCESS, started in a session of its own, with the rest of its process group (the
    engine's processes, a program a helper started): SIGTERM, and SIGKILL to what is left after
    LIMIT seconds. The process is reaped."""
    def group_left():
        process.poll()  # reaped, an ended process leaves the group
        try:
            os.killpg(process.pid, 0)
            return True
        except ProcessLookupError:
            return False
    with contextlib.suppress(ProcessLookupError):
        os.killpg(process.pid, signal.SIGTERM)
    deadline = time.monotonic() + limit
    while group_left() and time.monotonic() < deadline:
        time.sleep(0.05)
    with contextlib.suppress(ProcessLookupError):
        os.killpg(process.pid, signal.SIGKILL)
    process.wait()
    if process.stdout:
        process.stdout.close()


@functools.cache
def session_bus():
    return Gio.bus_get_sync(Gio.BusType.SESSION)  # kept: the connection closes with its last reference


def bus_call(name, path, interface, method, arguments=None, reply=None):
    """The unpacked reply of METHOD of NAME's object PATH on the session bus; GLib.Error without one."""
    return session_bus().call_sync(name, path, interface, method, arguments, reply and GLib.VariantType(reply),
                                   Gio.DBusCallFlags.NONE, 5000, None).unpack()


def owner_pid(name=APP_ID):
    """The process owning NAME on the session bus; None while none does."""
    with contextlib.suppress(GLib.Error):
        return bus_call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                        "GetConnectionUnixProcessID", GLib.Variant("(s)", (name,)), "(u)")[0]
    return None


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


def servers(*entries, base=DEMO_BASE):
    """The stored server list of (sequence, organisation) entries on the demo server at BASE."""
    return json.dumps([{"Sequence": sequence, "ServerName": name, "Url": f"{base}orgs/{name}/", "IsCnUrl": 0}
                       for sequence, name in entries])


def sign_setting_code(build, payload_name, key=None):
    """A signed setting code for the demo server's payload file, signed with the test key or KEY."""
    command = [os.path.join(build, "tools/demo-server/velloq-sign-setting-code"), "--base", DEMO_BASE,
               os.path.join(SOURCE_DIR, "tools/demo-server/data/payloads", payload_name)]
    if key:
        command[1:1] = ["--key", key]
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout.strip()


class DemoServer:
    """The demo organisation's server of BUILD on loopback PORT (0: a free one), running until the
    context it is entered as ends; `base` is its address. With TLS it serves HTTPS with a
    certificate no system trusts."""

    def __init__(self, build, port=DEMO_PORT, test_routes=False, tls=False):
        command = [os.path.join(build, "tools/demo-server/velloq-demo-server"), "--port", str(port)]
        command += (["--with-test-routes"] if test_routes else []) + (["--tls"] if tls else [])
        self.process = subprocess.Popen(command,
                                        stdout=subprocess.PIPE, text=True, start_new_session=True)
        line = self.process.stdout.readline()
        if not line.startswith("listening on "):
            stop(self.process)
            raise RuntimeError(f"the demo server did not start: {line!r}")
        self.base = line.split()[-1]

    def __enter__(self):
        return self

    def __exit__(self, *_):
        stop(self.process)


class Home:
    """A fresh home folder, its stores seeded with SERVERS (a list's JSON text) and CHOSEN; what is
    spawned in it is stopped, and the folder removed, when the context it is entered as ends."""

    def __init__(self, language="en-US", servers=None, chosen=None, seed_settings=True):
        self.language = language
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
        return self

    def __exit__(self, *_):
        self.close()

    def close(self):
        for process in reversed(self._processes):
            stop(process)
        shutil.rmtree(self.home, ignore_errors=True)

    @property
    def env(self):
        return dict(os.environ, HOME=self.home, XDG_CONFIG_HOME=f"{self.home}/.config",
                    XDG_DATA_HOME=f"{self.home}/.local/share", XDG_CACHE_HOME=f"{self.home}/.cache")

    def write_plist(self, name, values):
        with open(os.path.join(self.documents, name), "wb") as out:
            plistlib.dump(values, out)

    def read_plist(self, name):
        with open(os.path.join(self.documents, name), "rb") as stored:
            return plistlib.load(stored)

    def spawn(self, command, **options):
        """Starts COMMAND in this home, in a session (and process group) of its own."""
        process = subprocess.Popen(command, env=self.env, start_new_session=True, **options)
        self._processes.append(process)
        return process


class Session(Home):
    """The demo server and the program of BUILD (or COMMAND) in a fresh home, started on entering
    the context and stopped on leaving it; `ready()` (waited for on entering) is what a subclass
    expects shown."""

    def __init__(self, build, language="en-US", servers=None, chosen=None, seed_settings=True, command=None,
                 test_routes=False):
        import pyatspi
        self.atspi = pyatspi
        super().__init__(language, servers, chosen, seed_settings)
        self.build = build
        self.command = command or [program_path(build)]
        self.test_routes = test_routes

    def __enter__(self):
        try:
            self._processes.append(DemoServer(self.build, test_routes=self.test_routes).process)
            self.program = self.spawn(self.command)
            self.ready()
        except BaseException:
            self.__exit__()
            raise
        return self

    def ready(self):
        self.window(limit=40)  # a fresh start under load (sanitisers, tests side by side) is slow

    def text(self, key):
        return localized(self.language, key)

    # The accessibility tree -----------------------------------------------------------------

    def application(self):
        return wait_for(lambda: next(app for app in self.atspi.Registry.getDesktop(0)
                                     if app is not None and app.name == APP_ID),
                        40, "the program on the accessibility bus")

    def windows(self, name=None):
        return [window for window in self.application()
                if window and window.getState().contains(self.atspi.STATE_SHOWING) and name in (None, window.name)]

    def window(self, name=None, limit=20.0):
        return wait_for(lambda: self.windows(name)[0], limit, f"a window named {name!r}")

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
        with contextlib.suppress(GLib.Error):
            bus_call(APP_ID, "/" + APP_ID.replace(".", "/"), "org.gtk.Actions", "Activate",
                     GLib.Variant("(sava{sv})", ("quit", [], {})))
        self.program.wait(10)


def demo(arguments):
    options = argparse.ArgumentParser(prog="velloq_session.py demo")
    options.add_argument("build")
    options.add_argument("--from-code-entry", action="store_true")
    options.add_argument("--language", default="en-US", choices=["en-US", "zh-TW", "zh-CN"])
    options.add_argument("--screenshot", default="build/demo-screenshot.png")
    options.add_argument("--wayland", action="store_true")
    options = options.parse_args(arguments)
    isolate(network=False, display=bool(os.environ.get("DISPLAY")))
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))  # a stopped demo stops what it started
    chosen = None if options.from_code_entry else 0
    listed = "" if options.from_code_entry else servers((0, "acme"))
    with wayland(windowed=True) if options.wayland else contextlib.nullcontext(), \
            Session(options.build, options.language, servers=listed, chosen=chosen, test_routes=True) as session:
        if options.from_code_entry:
            code_file = os.path.join(options.build, "demo-setting-code.txt")
            with open(code_file, "w") as out:
                out.write(sign_setting_code(options.build, "acme-one.json"))
            print(f"enterprise codes: velloq-one, velloq-three; setting code: {code_file}")
        if not headless():
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
