#!/usr/bin/python3
"""File ▸ Change Server… leads from the web app back to the server selection (two or more
servers stored) or to the code entry (one), after a confirmation; the stored servers stay until
the user completes the new choice, which opens the other organisation's web app. Read and worked
through the accessibility tree."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_session import APP_ID, Session, isolate, servers, session_bus, wait_for  # noqa: E402
from gi.repository import Gio, GLib  # noqa: E402


class ChangeServerTest(unittest.TestCase):
    def change_server(self, session):
        page = wait_for(lambda: session.find_all(session.window(), "document web", showing=False)[0], 40, "the web app")
        menu = session.find("menu", session.text("File"))
        self.assertTrue(session.find_all(menu, "menu item", session.text("ChangeServer"), showing=False))
        # As the desktop activates it, without waiting: the action's confirmation holds its answer.
        session_bus().call(APP_ID, "/" + APP_ID.replace(".", "/"), "org.gtk.Actions", "Activate",
                           GLib.Variant("(sava{sv})", ("changeServer", [], {})), None, Gio.DBusCallFlags.NONE, -1)
        _, texts = session.alert()
        self.assertIn(session.text("ChangeServerConfirm"), texts)
        session.answer_alert("m9")
        return page

    def test_change_server_leads_to_the_selection_or_the_entry_and_keeps_the_servers_until_a_new_choice(self):
        for stored, screen in [(servers((0, "acme"), (1, "north")), "m283"), (servers((0, "acme")), "m744")]:
            with self.subTest(screen=screen), Session(servers=stored, chosen=0) as session:
                self.change_server(session)
                control = session.find("combo box" if screen == "m283" else "text", session.text(screen), limit=20)
                self.assertEqual(session.read_plist("Q7ZRemoteConfig.plist")["serverListJsonString"], stored)
                self.assertEqual(session.read_plist("Q7ZAppSettingConfig.plist")["serverSequence"], 0)
                if screen != "m283":
                    continue
                control.querySelection().selectChild(1)
                session.press_by_keyboard(session.find("push button", session.text("m3")))
                wait_for(lambda: session.read_plist("Q7ZAppSettingConfig.plist")["serverSequence"] == 1, 30,
                         "the new choice saved")
                wait_for(lambda: session.first_screen_shown(entry_screen=False), 40, "the other web app")


if __name__ == "__main__":
    isolate()
    unittest.main(verbosity=2)
