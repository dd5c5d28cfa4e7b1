#!/usr/bin/python3
"""The program on Wayland: under Debian's weston with its headless back end and GDK_BACKEND=wayland
(which lets GTK use no other), the built program shows the demo organisation's sample web app,
found through the accessibility tree, and quits through File ▸ Quit."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_session import Session, isolate, servers, wait_for, wayland  # noqa: E402


class WaylandSessionTest(unittest.TestCase):
    def test_the_web_app_shows_and_file_quit_ends_the_program(self):
        with wayland(), Session(servers=servers((0, "acme")), chosen=0) as session:
            page = wait_for(lambda: session.find_all(session.window(), "document web", showing=False)[0], 60,
                            "the web app")
            session.find("push button", "Demo panel", root=page, limit=30)
            menu = session.find("menu", session.text("File"))
            session.press(session.find_all(menu, "menu item", session.text("Quit"), showing=False)[0])
            self.assertEqual(session.program.wait(20), 0)


if __name__ == "__main__":
    isolate()
    unittest.main(verbosity=2)
