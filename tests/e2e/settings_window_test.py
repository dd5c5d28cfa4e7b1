#!/usr/bin/python3
"""The settings window of the built program, opened from the sample web app's bridge button and
worked through the accessibility tree: long server names read whole in the open pop-up, start at
login follows only what is saved, and a save that cannot be written says why and keeps the edits.
Saved as screenshots in each language at scale 1 and 2 to <build>/screenshots/."""
import glob
import json
import os
import shutil
import sys
import unittest
from unittest import mock

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_session import DEMO_BASE, Session, isolate, wait_for  # noqa: E402

NAMES = ["Acme Group Taipei Office", "Acme Group Tainan Office",
         "Acme Group Kaohsiung Harbour District Customer Service Centre"]


class SettingsWindow(Session):
    """The web app of the first of three servers with long names, its settings window open."""

    def __init__(self, language="en-US"):
        listed = [{"Sequence": index, "ServerName": name, "Url": f"{DEMO_BASE}orgs/acme/", "IsCnUrl": 0}
                  for index, name in enumerate(NAMES)]
        super().__init__(language, servers=json.dumps(listed), chosen=0)

    def ready(self):
        page = wait_for(lambda: self.find_all(self.window(), "document web", showing=False)[0], 40, "the web app")
        toggle = wait_for(lambda: next(button for button in self.find_all(page, "push button", showing=False)
                                       if self.has_state(button, "EXPANDABLE")), 40, "the demo panel's toggle")
        if not self.has_state(toggle, "EXPANDED"):
            self.press(toggle)
        self.press(self.find("push button", "settingObj.openSettingWindow", root=page))
        self.settings = self.window(self.text("m112"))

    def control(self, role, key):
        return self.find(role, self.text(key), root=self.settings)


class SettingsWindowTest(unittest.TestCase):
    def test_whole_server_names_and_a_failed_save_told_in_each_language_and_scale(self):
        for scale in ("1", "2"):
            for language in ("en-US", "zh-TW", "zh-CN"):
                with self.subTest(language=language, scale=scale), mock.patch.dict(os.environ, GDK_SCALE=scale), \
                        SettingsWindow(language) as window:
                    window.shot("settings-window")
                    picker = window.control("combo box", "m283")
                    window.press(picker)  # opens its menu
                    items = wait_for(lambda: window.find_all(picker, "menu item"), 10, "the open menu")
                    self.assertEqual([item.name for item in items], NAMES)
                    self.assertGreater(window.extents(items[2])[2], 2 * window.extents(picker)[2])
                    window.shot("settings-window-servers")
                    window.key("Escape", over=items[0])

                    # The stores' folder is a file now: the save cannot be written.
                    shutil.rmtree(window.documents)
                    open(window.documents, "w").close()
                    window.press(sound := window.control("check box", "m755"))
                    window.press_by_keyboard(window.control("push button", "m11"))
                    _, texts = window.alert(20)
                    self.assertIn(window.text("SettingsNotSaved"), texts)
                    self.assertIn(window.text("SaveFailedNotFolder").replace("%@", window.documents), texts)
                    window.shot("settings-not-saved")
                    window.answer_alert("m9")
                    self.assertFalse(window.has_state(sound, "CHECKED"), "the edit was lost")
                    self.assertTrue(window.has_state(window.control("push button", "m11"), "SENSITIVE"))

    def test_a_declined_restart_leaves_start_at_login_as_stored(self):
        with SettingsWindow() as window:
            # Ticked with a language change, whose restart is declined: nothing is kept.
            window.press(window.control("check box", "m747"))
            window.control("combo box", "m746").querySelection().selectChild(0)  # 繁體中文
            window.press_by_keyboard(window.control("push button", "m11"))
            _, texts = window.alert(20)
            self.assertIn(window.text("m1000"), texts)
            window.answer_alert("m10")
            window.press(window.control("push button", "m10"))
            wait_for(lambda: not window.windows(window.text("m112")), 10, "the settings window to close")
            self.assertEqual(glob.glob(os.path.join(window.home, ".config", "autostart", "*")), [])
            self.assertFalse(window.read_plist("Q7ZAppSettingConfig.plist").get("isAutoStart", False))


if __name__ == "__main__":
    isolate(screen="2560x2048")
    unittest.main(verbosity=2)
