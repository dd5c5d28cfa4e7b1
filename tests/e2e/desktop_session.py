"""The end-to-end tests' desktop: the shared launcher (tools/session/velloq_session.py) runs the
demo server and the built bundle with a fresh home; `isolate()` runs the test script again in a
network namespace of its own (only loopback: the demo server takes the port the build points
at), on an X server and a session bus of its own. `Session` adds what the tests do to the
program's controls, found in its accessibility tree by AT-SPI role ("push button", "text", ...)
and name, as assistive technology finds and works them; `close_by_window_manager()` closes a
window through the X server as a window manager does."""
import functools
import os
import sys
import time

BINARY_DIR = os.environ.get("VELLOQ_BINARY_DIR", "")
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))),
                                "tools", "session"))
import velloq_session  # noqa: E402
from velloq_session import (APP_ID, APP_NAME, DEMO_BASE, Home, bus_call, localized, owner_pid,  # noqa: E402,F401
                            servers, session_bus, wait_for, wayland)

isolate = functools.partial(velloq_session.isolate, network=True, display=False)
sign_setting_code = functools.partial(velloq_session.sign_setting_code, BINARY_DIR)
DemoServer = functools.partial(velloq_session.DemoServer, BINARY_DIR)
PROGRAM, HELPER = velloq_session.program_path(BINARY_DIR), velloq_session.helper_path(BINARY_DIR)


def close_by_window_manager(pid, title=APP_NAME):
    """Sends WM_DELETE_WINDOW, as a window manager's close button does, to process PID's top-level
    X windows titled TITLE."""
    from Xlib import X, display, protocol
    screen = display.Display()
    atom = screen.intern_atom
    for window in screen.screen().root.query_tree().children:
        pids = window.get_full_property(atom("_NET_WM_PID"), X.AnyPropertyType)
        name = window.get_full_property(atom("_NET_WM_NAME"), atom("UTF8_STRING"))
        # GDK's hidden client-leader window has the title too, but no window type.
        if pids and pids.value[0] == pid and name and name.value == title.encode() and \
                window.get_full_property(atom("_NET_WM_WINDOW_TYPE"), X.AnyPropertyType):
            data = (32, [atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0])
            window.send_event(protocol.event.ClientMessage(window=window, client_type=atom("WM_PROTOCOLS"), data=data),
                              event_mask=X.NoEventMask)
    screen.sync()
    screen.close()


class Session(velloq_session.Session):
    KEYSYMS = {"space": 0x20, "slash": 0x2F, "Tab": 0xFF09, "Return": 0xFF0D, "Escape": 0xFF1B}

    def __init__(self, language="en-US", servers=None, chosen=None, seed_settings=True, command=None):
        super().__init__(BINARY_DIR, language, servers, chosen, seed_settings, command)

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

    def shot(self, name):
        """Saves the screen, once drawn, as <build>/screenshots/NAME-<language>[@2x].png for a
        person to look at."""
        folder = os.path.join(BINARY_DIR, "screenshots")
        os.makedirs(folder, exist_ok=True)
        time.sleep(0.5)  # drawn, not only mapped
        scale = "" if os.environ.get("GDK_SCALE", "1") == "1" else "@2x"
        self.screenshot(os.path.join(folder, f"{name}-{self.language}{scale}.png"))

    def file_chooser(self):
        """The file chooser dialog now open, waited for."""
        return wait_for(lambda: next(window for window in self.application() if window.getRoleName() == "file chooser"
                                     or self.find_all(window, "file chooser")), 20, "the file chooser")

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
