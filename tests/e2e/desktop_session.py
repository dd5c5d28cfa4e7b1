"""The end-to-end tests' desktop: `isolate()` runs the test script again in a network namespace
(only loopback: the demo server takes the port the build points at), an X server and a session bus
of its own; `Session` runs the demo server and the bundle with a fresh home and finds the
program's controls in its accessibility tree by AT-SPI role ("push button", "text", ...) and name."""
import contextlib
import ctypes
import fcntl
import os
import plistlib
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time

BINARY_DIR = os.environ.get("VELLOQ_BINARY_DIR", "")
SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
APP_ID = "app.velloq.Parlor"
DEMO_PORT = 18480
DEMO_BASE = f"http://127.0.0.1:{DEMO_PORT}/"
_INSIDE = "VELLOQ_E2E_ISOLATED"


def isolate():
    if os.environ.get(_INSIDE):
        return
    libc = ctypes.CDLL(None, use_errno=True)
    if libc.unshare(0x40000000) != 0:  # CLONE_NEWNET
        sys.exit(f"unshare(CLONE_NEWNET): {os.strerror(ctypes.get_errno())}")
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
        flags = struct.unpack("16sH14x", fcntl.ioctl(probe, 0x8913, struct.pack("16sH14x", b"lo", 0)))[1]
        fcntl.ioctl(probe, 0x8914, struct.pack("16sH14x", b"lo", flags | 1))  # SIOCSIFFLAGS, IFF_UP
    env = dict(os.environ, PYTHONWARNINGS="ignore", **{_INSIDE: "1"})  # pyatspi's deprecations
    env.pop("NO_AT_BRIDGE", None)  # the program's accessibility bridge is what the tests read
    os.execvpe("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24 -nolisten tcp",
                            "dbus-run-session", "--", sys.executable, *sys.argv], env)


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


def sign_setting_code(payload_name, key=None):
    """A signed setting code for the demo server's payload file, signed with the test key or KEY."""
    command = [os.path.join(BINARY_DIR, "tools/demo-server/velloq-sign-setting-code"), "--base", DEMO_BASE,
               os.path.join(SOURCE_DIR, "tools/demo-server/data/payloads", payload_name)]
    if key:
        command[1:1] = ["--key", key]
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout.strip()


class Session:
    """The demo server and the program (the built bundle, or COMMAND) with a fresh home, started on
    entering the context and stopped on leaving it; `ready()` (waited for on entering) is what a
    subclass expects shown."""

    def __init__(self, language="en-US", servers=None, chosen=None, seed_settings=True, command=None):
        import pyatspi
        self.atspi = pyatspi
        self.language = language
        self.command = command or [os.path.join(BINARY_DIR, "Velloq Parlor.app/Contents/MacOS/Velloq Parlor")]
        self.home = tempfile.mkdtemp(prefix="velloq-e2e-")
        self.documents = os.path.join(self.home, "Documents")
        os.makedirs(self.documents)
        self._seed(servers, chosen, seed_settings)
        self._processes = []

    def __enter__(self):
        try:
            self._start_demo_server()
            self.program = self._spawn(self.command)
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

    # The stored files -----------------------------------------------------------------------

    def _seed(self, servers, chosen, seed_settings):
        settings = {"language": self.language, "downloadFileSavePath": self.home}
        if chosen is not None:
            settings["serverSequence"] = chosen
        if seed_settings:
            self.write_plist("Q7ZAppSettingConfig.plist", settings)
        if servers is not None:
            self.write_plist("Q7ZRemoteConfig.plist", {"remoteTitle": "", "remoteTitleIcon": "", "version": "",
                                                       "serverListJsonString": servers})

    def write_plist(self, name, values):
        with open(os.path.join(self.documents, name), "wb") as out:
            plistlib.dump(values, out)

    def read_plist(self, name):
        with open(os.path.join(self.documents, name), "rb") as stored:
            return plistlib.load(stored)

    # Processes ------------------------------------------------------------------------------

    def _spawn(self, command, **options):
        env = dict(os.environ, HOME=self.home, XDG_CONFIG_HOME=f"{self.home}/.config",
                   XDG_DATA_HOME=f"{self.home}/.local/share", XDG_CACHE_HOME=f"{self.home}/.cache")
        process = subprocess.Popen(command, env=env, **options)
        self._processes.append(process)
        return process

    def _start_demo_server(self):
        server = self._spawn([os.path.join(BINARY_DIR, "tools/demo-server/velloq-demo-server"), "--port",
                              str(DEMO_PORT)], stdout=subprocess.PIPE, text=True)
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

    def find(self, role, name=None, root=None, limit=20.0):
        """The one showing control of ROLE and NAME in the main window (or ROOT), waited for."""
        return wait_for(lambda: self.find_all(root or self.window(), role, name)[0], limit,
                        f"a {role} named {name!r}")

    def shows(self, role, name=None, root=None):
        return bool(self.find_all(root or self.window(), role, name))

    def extents(self, control):
        box = control.queryComponent().getExtents(self.atspi.DESKTOP_COORDS)
        return box.x, box.y, box.width, box.height

    def has_state(self, control, name):
        return control.getState().contains(getattr(self.atspi, "STATE_" + name))

    def type_into(self, control, text):
        control.queryComponent().grabFocus()
        control.queryEditableText().setTextContents(text)

    def press(self, control):
        control.queryAction().doAction(0)

    KEYSYMS = {"space": 0x20, "slash": 0x2F, "Tab": 0xFF09, "Return": 0xFF0D, "Escape": 0xFF1B}

    def key(self, name, over):
        """Presses and releases the key NAME, as a keyboard does, in the window of control OVER
        (focused first, and under the pointer: there is no window manager to give it the keyboard)."""
        over.queryComponent().grabFocus()
        x, y, width, height = self.extents(over)
        self.atspi.Registry.generateMouseEvent(x + width // 2, y + height // 2, "abs")
        self.atspi.Registry.generateKeyboardEvent(self.KEYSYMS[name], None, self.atspi.KEY_SYM)

    def press_by_keyboard(self, control):
        """Focuses CONTROL and presses space. A control whose handler waits for a dialog's
        answer must be pressed so: its accessible action would not return until then."""
        self.key("space", over=control)

    def _alerts(self):
        return [alert for window in self.application() for alert in self.find_all(window, "alert")]

    def alert(self, limit=20.0):
        """The alert shown now: (the alert, its texts)."""
        alert = wait_for(lambda: self._alerts()[0], limit, "an alert")
        return alert, [label.name for label in self.find_all(alert, "label") if label.name]

    def answer_alert(self, button_key):
        alert, _ = self.alert()
        self.press(self.find("push button", self.text(button_key), root=alert))
        wait_for(lambda: not self._alerts(), 10, "the alert to close")

    @staticmethod
    def process_gone(pid):
        """Whether process PID has ended (reaped, or a zombie not reaped yet)."""
        try:
            with open(f"/proc/{pid}/stat") as stat:
                return stat.read().rsplit(")", 1)[1].split()[0] == "Z"
        except FileNotFoundError:
            return True

    def screenshot(self, path):
        subprocess.run(["import", "-window", "root", path], check=True)
