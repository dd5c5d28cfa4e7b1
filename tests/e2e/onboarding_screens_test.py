#!/usr/bin/python3
"""The server selection screen, its link back to the entry screen, the enterprise code
description window and its information page, in the built program against the demo server,
read and worked through the accessibility tree. Each screen is saved as a screenshot in each
language to <build>/screenshots/ for a person to look at."""
import os
import socket
import sys
import unittest
from unittest import mock

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_session import DEMO_BASE, Session, isolate, wait_for  # noqa: E402

NO_SERVER = -999


def server_list(*organisations):
    """Organisations of the demo server, or full addresses."""
    urls = [name if ":" in name else f"{DEMO_BASE}orgs/{name}/" for name in organisations]
    entries = [f'{{"Sequence":{index},"ServerName":"{name}","Url":"{url}","IsCnUrl":0}}'
               for index, (name, url) in enumerate(zip(organisations, urls))]
    return "[" + ",".join(entries) + "]"


class SelectionScreen(Session):
    """A program started with servers stored and none chosen, so it shows the selection screen."""

    def __init__(self, organisations, icon, language="en-US"):
        super().__init__(language, servers=server_list(*organisations))
        self.write_plist("Q7ZRemoteConfig.plist", {
            "remoteTitle": "Acme Group", "remoteTitleIcon": DEMO_BASE + icon, "version": "1",
            "serverListJsonString": server_list(*organisations)})

    def ready(self):
        self.picker = self.find("combo box", self.text("m283"), limit=40)

    def logo_width(self):
        return self.find("icon").queryImage().getImageSize()[0]

    def alert_shot(self, name, key):
        """The alert now showing says KEY's text: saved as NAME and answered with its OK."""
        _, texts = self.alert(30)
        assert any(text.startswith(self.text(key).split("%@")[0]) for text in texts), texts
        self.shot(name)
        self.answer_alert("m9")


class OnboardingScreensTest(unittest.TestCase):
    def assertCentredOn(self, inner, outer):
        # Vertically within the main window's menu bar and frame.
        self.assertAlmostEqual(inner[0] + inner[2] / 2, outer[0] + outer[2] / 2, delta=2)
        self.assertAlmostEqual(inner[1] + inner[3] / 2, outer[1] + outer[3] / 2, delta=40)

    def test_next_checks_the_picked_server_and_opens_the_web_app_or_alerts_and_stays(self):
        rows = [  # servers, organisation icon, pick, the login page answers, by the Return key
            (("acme", "north", "south"), "orgs/acme/icon.png", 2, True, False),
            (("acme", "down", "south"), "orgs/down/icon.png", 1, False, True),  # the icon answers 500
        ]
        for organisations, icon, pick, answers, by_return in rows:
            with self.subTest(organisations[pick]), SelectionScreen(organisations, icon) as screen:
                self.assertEqual(len(screen.find_all(screen.picker, "menu item", showing=False)), len(organisations))
                if answers:
                    wait_for(lambda: screen.logo_width() == 96, 20, "the organisation's icon")
                screen.picker.querySelection().selectChild(pick)
                if by_return:
                    screen.key("Return", over=screen.picker)
                else:
                    screen.press_by_keyboard(screen.find("push button", screen.text("m3")))
                if answers:
                    wait_for(lambda: screen.find_all(screen.window(), "document web", showing=False), 30, "the web app")
                    self.assertEqual(screen.read_plist("Q7ZAppSettingConfig.plist")["serverSequence"], pick)
                    continue
                screen.answer_alert("m9")  # its text is checked where its screenshot is taken
                self.assertNotEqual(screen.logo_width(), 96)
                self.assertEqual(screen.read_plist("Q7ZAppSettingConfig.plist")["serverSequence"], NO_SERVER)
                self.assertTrue(screen.has_state(screen.find("combo box", screen.text("m283")), "SENSITIVE"))

    def test_cancel_on_the_cover_abandons_the_check_and_keeps_the_stored_choice(self):
        with socket.create_server(("127.0.0.1", 18496)), \
                SelectionScreen(("acme", "http://127.0.0.1:18496/"), "orgs/acme/icon.png") as screen:  # never answers
            screen.picker.querySelection().selectChild(1)
            screen.press_by_keyboard(screen.find("push button", screen.text("m3")))
            screen.press(screen.find("push button", screen.text("m10"), limit=10))
            wait_for(lambda: not screen.shows("push button", screen.text("m10")), 10, "the cover to go")
            self.assertTrue(screen.has_state(screen.find("combo box", screen.text("m283")), "SENSITIVE"))
            self.assertEqual(screen.read_plist("Q7ZAppSettingConfig.plist")["serverSequence"], NO_SERVER)

    def test_each_screen_and_alert_in_each_language_and_scale_with_the_link_back_and_the_description_window(self):
        for scale, language in [(scale, language) for scale in ("1", "2") for language in ("en-US", "zh-TW", "zh-CN")]:
            with self.subTest(language=language, scale=scale), mock.patch.dict(os.environ, GDK_SCALE=scale), \
                    SelectionScreen(("acme", "down"), "orgs/acme/icon.png", language) as screen:
                wait_for(lambda: screen.logo_width() == 96, 20, "the organisation's icon")
                self.assertTrue(screen.shows("label", "Acme Group"))
                screen.shot("server-selection")
                screen.picker.querySelection().selectChild(1)
                screen.press_by_keyboard(screen.find("push button", screen.text("m3")))
                screen.alert_shot("server-unreachable", "m3840")

                screen.press(screen.find("push button", screen.text("m1083")))
                screen.find("text", screen.text("m744"))
                stored = screen.read_plist("Q7ZRemoteConfig.plist")
                self.assertIn(DEMO_BASE + "Community/", stored["serverListJsonString"])  # the default list
                self.assertNotIn("orgs/acme", stored["serverListJsonString"])
                self.assertEqual(stored["remoteTitleIcon"], "")
                self.assertEqual(screen.read_plist("Q7ZAppSettingConfig.plist")["serverSequence"], NO_SERVER)
                screen.shot("enterprise-code-entry")
                screen.type_into(screen.find("text", screen.text("m3479")), "x")
                screen.press_by_keyboard(screen.find("push button", screen.text("m9")))
                screen.alert_shot("setting-code-rejected", "m3481")
                screen.press(screen.find("push button", screen.text("ClearField").replace("%@", screen.text("m3479"))))
                screen.press_by_keyboard(screen.find("push button", screen.text("m2159")))
                chooser = screen.file_chooser()
                screen.find("push button", screen.text("Open"), root=chooser)
                screen.shot("file-chooser")
                screen.press(screen.find("push button", screen.text("m10"), root=chooser))
                if scale == "2":
                    continue

                for closing in ("Escape", "Close"):  # twice in a row, closed each way
                    screen.press(screen.find("push button", screen.text("m3059")))
                    description = screen.window(screen.text("m3059"))
                    self.assertEqual(screen.extents(description)[2:], (380, 280))
                    self.assertCentredOn(screen.extents(description), screen.extents(screen.window("Velloq Parlor")))
                    if closing == "Escape":
                        screen.shot("enterprise-code-description")
                        screen.key("Escape", over=screen.find("push button", screen.text("Close"), root=description))
                    else:
                        screen.press(screen.find("push button", screen.text("Close"), root=description))
                    wait_for(lambda: not screen.windows(screen.text("m3059")), 10,
                             f"{closing} to close the description window")

                screen.press(screen.find("push button", screen.text("m3059")))
                description = screen.window(screen.text("m3059"))
                screen.press(screen.find("push button", screen.text("m3061"), root=description))
                wait_for(lambda: any(page.name == "Velloq Parlor: enterprise codes" for window in screen.application()
                                     for page in screen.find_all(window, "document web", showing=False)),
                         30, "the information page")
                screen.shot("information-page")


if __name__ == "__main__":
    isolate(screen="2560x2048")
    unittest.main(verbosity=2)
