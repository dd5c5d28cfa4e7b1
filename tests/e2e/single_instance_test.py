#!/usr/bin/python3
"""The program runs as one instance. A window manager's close (a real WM_DELETE_WINDOW) hides the
main window and the program keeps running; the status item's Activate, or a second launch that
hands over and ends, shows it again. The login-item helper in the bundle starts the program only
when none runs, and ends; a helper outside any bundle starts nothing and stays (its part in a
restart is proved through the settings window by program_start_test.py). --help, --version and
unknown options are answered by the program alone, in its interface language."""
import contextlib
import os
import shutil
import subprocess
import sys
import threading
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_session import (HELPER, PROGRAM, DemoServer, Home, Session, bus_call,  # noqa: E402
                             close_by_window_manager, isolate, localized, owner_pid, session_bus, wait_for)
from gi.repository import Gio, GLib  # noqa: E402

WATCHER = "org.kde.StatusNotifierWatcher"


class StatusNotifierWatcher:
    """The desktop's status area: owns org.kde.StatusNotifierWatcher on the session bus and records
    the bus names items register with, answering on a thread of its own."""

    def __init__(self):
        self.items = []
        context = GLib.MainContext()
        context.push_thread_default()  # the object's calls are handled in this context
        session_bus().register_object("/StatusNotifierWatcher", Gio.DBusNodeInfo.new_for_xml(
            f'<node><interface name="{WATCHER}"><method name="RegisterStatusNotifierItem">'
            '<arg name="service" type="s" direction="in"/></method></interface></node>').interfaces[0],
            self._on_call, None, None)
        context.pop_thread_default()
        threading.Thread(target=GLib.MainLoop(context).run, daemon=True).start()
        assert bus_call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
                        GLib.Variant("(su)", (WATCHER, 4)), "(u)") == (1,), "the watcher's name is taken"

    def _on_call(self, _bus, _sender, _path, _interface, _method, arguments, invocation):
        self.items.append(arguments.unpack()[0])
        invocation.return_value(None)


def running_in_group(group):
    """The living processes of process group GROUP that run the program."""
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        with contextlib.suppress(OSError), open(f"/proc/{pid}/stat") as stat:
            state, _parent, pgid = stat.read().rsplit(")", 1)[1].split()[:3]
            if state != "Z" and int(pgid) == group and os.readlink(f"/proc/{pid}/exe") == os.path.realpath(PROGRAM):
                found.append(int(pid))
    return found


class SingleInstanceTest(unittest.TestCase):
    def test_closing_hides_the_window_and_activate_or_a_second_launch_shows_it_again(self):
        watcher = StatusNotifierWatcher()
        with Session() as session:
            frame, pid = session.window(), session.program.pid

            def activate():
                item = wait_for(lambda: watcher.items, 15, "the status item to register")[-1]
                bus_call(item, "/StatusNotifierItem", "org.kde.StatusNotifierItem", "Activate",
                         GLib.Variant("(ii)", (0, 0)))

            def launch_again():
                self.assertEqual(session.spawn([PROGRAM]).wait(30), 0, "the second launch did not hand over and end")

            for way, show in (("the status item's Activate", activate), ("a second launch", launch_again)):
                with self.subTest(way):
                    close_by_window_manager(pid)
                    wait_for(lambda: not session.has_state(frame, "SHOWING"), 15, "closing to hide the window")
                    self.assertFalse(session.has_state(frame, "DEFUNCT"), "closing destroyed the window")
                    with self.assertRaises(subprocess.TimeoutExpired, msg="closing the window ended the program"):
                        session.program.wait(2)
                    show()
                    wait_for(lambda: session.has_state(frame, "SHOWING"), 15, f"{way} to show the window")
                    self.assertEqual(owner_pid(), pid)

    def test_help_version_and_unknown_options_answer_in_the_language_and_start_nothing(self):
        rows = [  # arguments, interface language, exit status, the stream with the text, a line of it
            (["--help"], "en-US", 0, "stdout", "  --version      " + localized("en-US", "HelpOptionVersion")),
            (["--version", "--bogus"], "zh-TW", 0, "stdout", localized("zh-TW", "m753") + " "),
            (["--bogus", "--help"], "zh-CN", 2, "stderr", localized("zh-CN", "HelpUnknownOption").replace("%@", "--bogus")),
            # The toolkit's options pass on, and after "--" nothing is an option.
            (["--display=:9", "--gapplication-service", "-h"], "en-US", 0, "stdout", "  -h, --help"),
            (["--displayx", "--", "--help"], "en-US", 2, "stderr", "--displayx"),
        ]
        for arguments, language, status, stream, line in rows:
            with self.subTest(arguments), Home(language=language) as home:
                done = subprocess.run([PROGRAM, *arguments], env=home.env, capture_output=True, text=True, timeout=30)
                self.assertEqual(done.returncode, status)
                self.assertIn(line, getattr(done, stream))
                if status == 2:
                    self.assertIn(localized(language, "HelpOptionHelp"), done.stderr)
                self.assertIsNone(owner_pid())

    def test_the_helper_starts_the_program_only_when_none_runs_and_ends(self):
        with DemoServer(), Home() as home:
            first = home.spawn([HELPER])
            self.assertEqual(first.wait(20), 0, "the helper did not end")
            owner = wait_for(owner_pid, 40, "the helper to start the program")
            self.assertEqual(running_in_group(first.pid), [owner])
            second = home.spawn([HELPER])
            self.assertEqual(second.wait(20), 0, "the helper did not end while the program runs")
            self.assertEqual(owner_pid(), owner)
            self.assertEqual(running_in_group(first.pid), [owner])
            self.assertEqual(running_in_group(second.pid), [])

    def test_a_helper_outside_a_bundle_starts_nothing_and_stays(self):
        with Home() as home:
            loose = os.path.join(home.home, "Loose", "Contents", "MacOS", os.path.basename(HELPER))
            os.makedirs(os.path.dirname(loose))
            shutil.copy(HELPER, loose)
            helper = home.spawn([loose])
            with self.assertRaises(subprocess.TimeoutExpired, msg="the helper ended"):
                helper.wait(2)
            self.assertIsNone(owner_pid())
            self.assertEqual(running_in_group(helper.pid), [])


if __name__ == "__main__":
    isolate()
    unittest.main(verbosity=2)
