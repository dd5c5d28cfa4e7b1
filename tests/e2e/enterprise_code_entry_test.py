#!/usr/bin/python3
"""The enterprise code entry screen of the built program, against the demo server, read and
worked through the accessibility tree as a screen reader user works it: which rows can be used,
where each check that next starts ends (the web app, the server selection, an alert), and the
inline error of a rejected code."""
import os
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_session import Session, isolate, sign_setting_code, wait_for  # noqa: E402


class EntryScreen(Session):
    """A program started with an empty server list, so it shows the entry screen."""

    def __init__(self, language="en-US"):
        super().__init__(language, servers="")

    def ready(self):
        self.find("text", self.text("m744"), limit=40)

    def field(self, key):
        return self.find("text", self.text(key))

    def button(self, key):
        return self.find("push button", self.text(key))

    def button_shows(self, key):
        return self.shows("push button", self.text(key))

    def clear(self, row):
        """Presses the clear button of ROW (the key of its name)."""
        self.press(self.find("push button", self.text("ClearField").replace("%@", self.text(row))))

    def focused(self, key):
        return wait_for(lambda: self.has_state(self.field(key), "FOCUSED"), 10, f"the focus in {key}")

    def choose_file(self, path):
        """Load, then the path typed into the file chooser's location, as a keyboard user does."""
        self.press_by_keyboard(self.button("m2159"))
        chooser = self.file_chooser()
        self.key("slash", over=chooser)  # opens the location field with "/" typed
        location = wait_for(lambda: next(t for t in self.find_all(chooser, "text") if t.queryText().characterCount),
                            10, "the location field")
        self.type_into(location, path)
        self.key("Return", over=chooser)
        wait_for(lambda: not chooser.getState().contains(self.atspi.STATE_SHOWING), 10, "the file chooser to close")

    def shows_inline_error(self):
        return self.shows("notification", self.text("m748"))

    def shows_web_app_of(self, organisation):
        return wait_for(lambda: any(page.name.startswith(organisation + " ·") for page in
                                    self.find_all(self.window(), "document web", showing=False)),
                        30, f"the web app of {organisation}")


def setting_code_file(token):
    handle, path = tempfile.mkstemp(suffix=".txt")
    with os.fdopen(handle, "w") as out:
        out.write(token)
    return path


class EnterpriseCodeEntryTest(unittest.TestCase):
    def test_one_row_is_in_use_at_a_time_and_clearing_it_gives_back_all_three(self):
        code_file = setting_code_file("x")
        with EntryScreen() as screen:
            rows = [  # what is done, then: code editable, paste editable, Load shown, OK shown
                ("nothing entered", lambda: None, True, True, True, False),
                ("a typed code", lambda: screen.type_into(screen.field("m744"), "x"), True, False, False, True),
                ("cleared", lambda: screen.clear("m744"), True, True, True, False),
                ("a pasted code", lambda: screen.type_into(screen.field("m3479"), "x"), False, True, False, True),
                ("cleared", lambda: screen.clear("m3479"), True, True, True, False),
                ("a chosen file", lambda: screen.choose_file(code_file), False, False, True, True),
                ("cleared", lambda: screen.clear("m3480"), True, True, True, False),
            ]
            for name, act, code, paste, load, ok in rows:
                with self.subTest(name):
                    act()
                    wait_for(lambda: screen.button_shows("m9") == ok, 5, "OK to show or hide")
                    self.assertEqual(screen.has_state(screen.field("m744"), "EDITABLE"), code)
                    self.assertEqual(screen.has_state(screen.field("m3479"), "EDITABLE"), paste)
                    self.assertEqual(screen.button_shows("m2159"), load)
                    # The greyed copy standing in for a hidden button is no control to read.
                    for key in ("m9", "m2159"):
                        self.assertEqual(screen.find_all(screen.window(), "label", screen.text(key)), [])
            self.assertFalse(screen.has_state(screen.window(), "RESIZABLE"))
            screen.key("Tab", over=screen.field("m744"))  # top to bottom
            wait_for(lambda: screen.has_state(screen.field("m3479"), "FOCUSED"), 5, "Tab")
        os.unlink(code_file)

    def test_next_runs_the_check_of_the_row_in_use_and_ends_where_it_leads(self):
        one_server = sign_setting_code("acme-one.json")
        header, payload, signature = one_server.split(".")
        tampered = ".".join([header, payload[:3] + ("A" if payload[3] != "A" else "B") + payload[4:], signature])
        other_key = os.path.join(tempfile.mkdtemp(), "other.pem")
        subprocess.run(["openssl", "genrsa", "-out", other_key, "2048"], check=True, capture_output=True)
        signed_elsewhere = sign_setting_code("acme-one.json", key=other_key)
        rows = [  # name, how the code is given, then the organisation whose web app opens or the alert
            ("one server, Return key", "m744", "Velloq-One", "Acme", None),
            ("three servers, the third picked", "m744", "velloq-three", "Acme South", None),
            ("a server that does not answer", "m744", "velloq-down", None, "m3840"),
            ("signed, pasted", "m3479", one_server, "Acme", None),
            ("signed, from a file", "file", one_server, "Acme", None),
            ("tampered, pasted", "m3479", tampered, None, "m3481(2)"),
            ("tampered, from a file", "file", tampered, None, "m3481(2)"),
            ("signed with another key", "m3479", signed_elsewhere, None, "m3481(2)"),
            ("four parts", "m3479", one_server + ".eA", None, "m3481(1)"),
        ]
        for name, row, code, organisation, alert in rows:
            with self.subTest(name), EntryScreen() as screen:
                if row == "file":
                    screen.choose_file(setting_code_file(code))
                else:
                    screen.type_into(screen.field(row), code)
                if row == "m744" and organisation == "Acme":
                    screen.key("Return", over=screen.field("m744"))
                else:
                    screen.press_by_keyboard(screen.button("m9"))
                if organisation == "Acme South":
                    picker = screen.find("combo box", screen.text("m283"), limit=30)
                    self.assertEqual([item.name for item in screen.find_all(picker, "menu item", showing=False)],
                                     ["Acme", "Acme North", "Acme South"])
                    picker.querySelection().selectChild(2)
                    screen.press_by_keyboard(screen.find("push button", screen.text("m3")))
                if organisation:
                    screen.shows_web_app_of(organisation)
                    continue
                _, texts = screen.alert(30)
                key, suffix = alert[:5], alert[5:]
                expected = screen.text(key).replace("%@", screen.text("m753")) + suffix
                self.assertIn(expected, texts)
                screen.answer_alert("m9")
                screen.field("m744")  # the entry screen stays, usable again
                self.assertFalse(screen.shows("animation"))

    def test_the_code_field_keeps_the_focus_and_the_inline_error_is_announced_until_a_new_check(self):
        with EntryScreen() as screen:
            screen.focused("m744")
            self.assertFalse(screen.shows_inline_error())
            for code in ("no-such-code", "velloq-down", "no-such-code"):
                screen.type_into(screen.field("m744"), code)
                screen.press_by_keyboard(screen.button("m9"))
                if code == "velloq-down":  # accepted, its server down: the alert alone says so
                    screen.alert(30)
                    self.assertFalse(screen.shows_inline_error())
                    screen.answer_alert("m9")
                else:  # rejected: announced, as a notification, with no alert
                    wait_for(screen.shows_inline_error, 20, "the inline error")
                    self.assertFalse(screen.shows("alert"))
                screen.focused("m744")
            screen.clear("m744")
            screen.type_into(screen.field("m3479"), "x")
            wait_for(lambda: not screen.shows_inline_error(), 5, "the inline error to go")


if __name__ == "__main__":
    isolate()
    unittest.main(verbosity=2)
