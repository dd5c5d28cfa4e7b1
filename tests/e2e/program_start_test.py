#!/usr/bin/python3
"""How the built program starts and restarts, read through the accessibility tree: the first
screen chosen from the stored files (and the server sequence it saves), and a language change in
the settings window, which restarts the program through its login-item helper as one new
instance in the new language, with Edit ▸ Check Spelling as it was left; quitting from the File menu then starts nothing; quitting while a
download runs asks first and leaves no partial file."""
import os
import signal
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_session import APP_ID, DEMO_BASE, Session, isolate, servers, sign_setting_code, wait_for  # noqa: E402

NO_SERVER = -999


class ProvisionedStart(Session):
    """A start on a computer whose administrator left CODE as the setting code for every user;
    what the program logs is kept in `log`."""

    def __init__(self, code, servers, chosen):
        super().__init__(servers=servers, chosen=chosen, seed_settings=chosen is not None)
        self.config_dirs = os.path.join(self.home, "etc-xdg")
        os.makedirs(os.path.join(self.config_dirs, "velloq-parlor"))
        with open(os.path.join(self.config_dirs, "velloq-parlor", "setting-code.txt"), "w") as out:
            out.write(code)
        self.log = os.path.join(self.home, "program.log")

    @property
    def env(self):
        return dict(super().env, XDG_CONFIG_DIRS=f"/nonexistent:{self.config_dirs}")

    def spawn(self, command, **options):
        with open(self.log, "w") as log:
            return super().spawn(command, stderr=log, **options)


def shown_screen(session):
    """What a screen reader finds in the main window: the entry screen's code field, the
    selection screen's server pop-up, or the web app's document (its error page without a server)."""
    window = session.window()
    if session.find_all(window, "text", session.text("m744")):
        return "entry"
    if session.find_all(window, "combo box", session.text("m283")):
        return "selection"
    if session.find_all(window, "document web", showing=False) or \
            session.find_all(window, "push button", session.text("TryAgain")):
        return "web app"
    return None


class ProgramStartTest(unittest.TestCase):
    def test_the_first_screen_follows_the_stored_files_and_the_sequence_is_saved(self):
        two = servers((1, "north"), (2, "south"))
        rows = [  # stored server list, stored sequence, the screen shown, the saved sequence
            ("no files", None, None, "web app", 0),
            ("an empty list", "", None, "entry", None),
            ("two servers, none chosen", two, NO_SERVER, "selection", NO_SERVER),
            ("a chosen sequence not in the list", two, 7, "web app", 7),
            ("the only server replaces another", servers((5, "acme")), 3, "web app", 5),
        ]
        for name, stored, sequence, screen, saved in rows:
            with self.subTest(name), Session(servers=stored, chosen=sequence, seed_settings=sequence is not None) as session:
                self.assertEqual(wait_for(lambda: shown_screen(session), 40, "a screen"), screen)
                settings = os.path.join(session.documents, "Q7ZAppSettingConfig.plist")
                if saved is None:
                    self.assertFalse(os.path.exists(settings))
                else:
                    wait_for(lambda: session.read_plist("Q7ZAppSettingConfig.plist").get("serverSequence") == saved,
                             10, f"sequence {saved} saved")

    def test_an_administrators_setting_code_is_applied_on_a_first_start_only_when_it_holds(self):
        valid = sign_setting_code("acme-one.json")
        header, payload, signature = valid.split(".")
        tampered = ".".join([header, payload[:3] + ("A" if payload[3] != "A" else "B") + payload[4:], signature])
        two = servers((1, "north"), (2, "south"))
        rows = [  # the code, the stored server list and sequence, the screen shown, the title and list then stored
            ("a first start", valid, None, None, "web app", "Acme", "orgs/acme/"),
            ("tampered", tampered, "", None, "entry", "", ""),
            ("the user has servers", valid, two, NO_SERVER, "selection", "", two),
        ]
        for name, code, stored, sequence, screen, title, listed in rows:
            with self.subTest(name), ProvisionedStart(code, stored, sequence) as session:
                self.assertEqual(wait_for(lambda: shown_screen(session), 40, "a screen"), screen)
                remote = session.read_plist("Q7ZRemoteConfig.plist")  # seeded, or saved by the code
                self.assertEqual(remote["remoteTitle"], title)
                self.assertIn(listed, remote["serverListJsonString"])
                with open(session.log) as log:
                    self.assertEqual("is not applied: its signature does not hold" in log.read(), code == tampered)

    def test_a_language_change_restarts_one_new_instance_and_quit_starts_nothing(self):
        with Session(servers=servers((0, "acme")), chosen=0) as session:
            first = session.application().get_process_id()
            page = wait_for(lambda: session.find_all(session.window(), "document web", showing=False)[0], 40, "the web app")
            spelling = self.check_spelling_item(session)
            self.assertTrue(session.has_state(spelling, "CHECKED"))
            session.press(spelling)
            wait_for(lambda: not session.has_state(spelling, "CHECKED"), 10, "Check Spelling to turn off")
            session.press(session.find("push button", "Demo panel", root=page, limit=30))
            session.press(session.find("push button", "settingObj.openSettingWindow", root=page))
            settings = session.window(session.text("m112"))
            session.find("combo box", session.text("m746"), root=settings).querySelection().selectChild(0)  # zh-TW
            session.press_by_keyboard(session.find("push button", session.text("m11"), root=settings))
            session.answer_alert("m9")  # restart now

            restarted = wait_for(lambda: next(app for app in session.atspi.Registry.getDesktop(0) if app and
                                              app.name == APP_ID and app.get_process_id() != first), 60, "a new instance")
            second = restarted.get_process_id()
            try:
                wait_for(lambda: session.process_gone(first), 10, "the first instance to end")
                session.language = "zh-TW"
                self.assertEqual(session.read_plist("Q7ZAppSettingConfig.plist")["language"], "zh-TW")
                self.assertFalse(session.has_state(self.check_spelling_item(session), "CHECKED"), "not remembered")
                menu = session.find("menu", session.text("File"))
                session.press(session.find_all(menu, "menu item", session.text("Quit"), showing=False)[0])
                wait_for(lambda: session.process_gone(second), 20, "the new instance to quit")
                time.sleep(2)
                self.assertEqual([app.name for app in session.atspi.Registry.getDesktop(0) if app and app.name == APP_ID], [])
            finally:
                for pid in (first, second):
                    if not session.process_gone(pid):
                        os.kill(pid, signal.SIGKILL)

    @staticmethod
    def check_spelling_item(session):
        menu = session.find("menu", session.text("Edit"))
        return session.find_all(menu, "check menu item", session.text("CheckSpelling"), showing=False)[0]

    def test_quitting_while_a_download_runs_asks_first_and_leaves_no_partial_file(self):
        # The organisation's address answers with a file: the main view's first load is a download.
        with Session(servers=servers((0, "acme"), base=DEMO_BASE + "downloads/slow?kib=2048#"), chosen=0) as session:
            def partial_files():  # the download folder is the home folder here
                return [name for name in os.listdir(session.home) if name.startswith(".velloq-download-")]
            wait_for(partial_files, 20, "the partial file")
            # The downloads window, closed, comes back through File ▸ Downloads.
            downloads = wait_for(lambda: session.windows()[1], 20, "the downloads window")
            session.key("Escape", over=session.find("push button", session.text("m10"), root=downloads))
            wait_for(lambda: len(session.windows()) == 1, 10, "the downloads window to close")
            menu = session.find("menu", session.text("File"))
            session.press(session.find_all(menu, "menu item", session.text("Downloads"), showing=False)[0])
            wait_for(lambda: len(session.windows()) == 2, 10, "File ▸ Downloads to open the window")
            # As the desktop asks (the quit action on the bus): declined, then confirmed.
            quit_action = ["gdbus", "call", "--session", "--dest", APP_ID, "--object-path",
                           "/" + APP_ID.replace(".", "/"), "--method", "org.gtk.Actions.Activate", "quit", "[]", "{}"]
            for answer in ("m10", "QuitAnyway"):
                session.spawn(quit_action)
                alert, texts = session.alert()
                self.assertIn(session.text("DownloadStillRunning"), texts)
                session.shot("quit-while-downloading")
                if answer == "m10":
                    session.answer_alert(answer)
                else:
                    session.press(session.find("push button", session.text(answer), root=alert))
            session.program.wait(20)
            self.assertEqual(partial_files(), [], "a partial file was left")


if __name__ == "__main__":
    isolate()
    unittest.main(verbosity=2)
