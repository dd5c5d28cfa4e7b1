#!/usr/bin/python3
"""The main window never stays blank: each way the organisation's page can fail to load shows the
program's error page (what failed, for which server, in the interface language, with Try again),
read through the accessibility tree. The page comes back by Try again, by File ▸ Reload and by
the program's own retry once the server answers; a web process that ends is reloaded once, and a
second end within a minute shows the error page. Runs in a network namespace of its own, whose
name servers answer "no such name" to every question. Each error page is saved as a screenshot
to <build>/screenshots/."""
import hashlib
import os
import plistlib
import signal
import socket
import ssl
import subprocess
import sys
import threading
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_session import DemoServer, Session, isolate, servers, wait_for  # noqa: E402

DOWN_PORT, SILENT_PORT, TLS_PORT = 18490, 18491, 18492


def answer_every_name_unknown():
    """Puts this namespace's name servers (those of /etc/resolv.conf) on loopback, each answering
    every question with "no such name"."""
    with open("/etc/resolv.conf") as conf:
        addresses = [line.split()[1] for line in conf if line.startswith("nameserver") and ":" not in line]
    for address in addresses or ["127.0.0.1"]:
        subprocess.run(["ip", "address", "add", f"{address}/32", "dev", "lo"], capture_output=True)
        server = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        server.bind((address, 53))
        threading.Thread(target=refuse_names, args=(server,), daemon=True).start()


def refuse_names(server):
    while True:
        query, peer = server.recvfrom(512)
        flags = bytes([0x80 | (query[2] & 0x01), 0x83])  # a response, recursion kept, NXDOMAIN
        server.sendto(query[:2] + flags + query[4:6] + bytes(6) + query[12:], peer)


class ErrorPageSession(Session):
    def __init__(self, base, language="en-US", timeout=None):
        super().__init__(language, servers=servers((0, "acme"), base=base), chosen=0)
        if timeout:  # the user default an administrator sets for a slow server
            os.makedirs(f"{self.home}/.config/velloq-parlor")
            with open(f"{self.home}/.config/velloq-parlor/UserDefaults.plist", "wb") as defaults:
                plistlib.dump({"PageLoadTimeout": timeout}, defaults)

    def error_page(self, limit=40.0):
        """The error page's texts once it shows its Try again button."""
        button = self.find("push button", self.text("TryAgain"), limit=limit)
        return button, [label.name for label in self.find_all(self.window(), "label") if label.name]

    def web_app_shows(self):
        return not self.shows("push button", self.text("TryAgain")) and self.first_screen_shown(entry_screen=False)

    def reload_from_menu(self):
        menu = self.find("menu", self.text("File"))
        self.press(self.find_all(menu, "menu item", self.text("Reload"), showing=False)[0])

    def web_processes(self):
        """The engine's web processes started by the program (its descendants)."""
        parents = {}
        for entry in os.listdir("/proc"):
            if entry.isdigit():
                try:
                    with open(f"/proc/{entry}/stat") as stat:
                        fields = stat.read().rsplit(")", 1)
                        parents[int(entry)] = (int(fields[1].split()[1]), fields[0].split("(", 1)[1])
                except (FileNotFoundError, IndexError):
                    continue
        def descends(pid):
            while pid in parents:
                pid = parents[pid][0]
                if pid == self.program.pid:
                    return True
            return False
        return [pid for pid, (_, name) in parents.items() if name.startswith("WebKitWebProces") and descends(pid)]

    def kill_web_process(self):
        for pid in wait_for(self.web_processes, 10, "the web process"):
            os.kill(pid, signal.SIGKILL)


def message(session, key, host):
    return session.text(key).replace("%@", host)


class ErrorPageTest(unittest.TestCase):
    def test_each_failure_is_named_and_try_again_reload_or_the_retry_bring_the_page(self):
        silent = socket.socket()
        silent.bind(("127.0.0.1", SILENT_PORT))
        silent.listen(8)  # accepts nothing: the server never answers
        rows = [  # base, language, timeout, the message key and host, how the page comes back
            (f"http://127.0.0.1:{DOWN_PORT}/", "en-US", None, "LoadFailedCannotReach", f"127.0.0.1:{DOWN_PORT}", "try again"),
            (f"http://127.0.0.1:{DOWN_PORT}/", "zh-TW", None, "LoadFailedCannotReach", f"127.0.0.1:{DOWN_PORT}", "reload"),
            (f"http://127.0.0.1:{DOWN_PORT}/", "zh-CN", None, "LoadFailedCannotReach", f"127.0.0.1:{DOWN_PORT}", "retry"),
            ("http://no-such-host.example:18480/", "en-US", None, "LoadFailedNameNotFound",
             "no-such-host.example:18480", None),
            (f"http://127.0.0.1:{SILENT_PORT}/", "en-US", 2, "LoadFailedTookTooLong", f"127.0.0.1:{SILENT_PORT}", None),
        ]
        for base, language, timeout, key, host, recovery in rows:
            with self.subTest(key=key, language=language), ErrorPageSession(base, language, timeout) as session:
                button, texts = session.error_page()
                self.assertEqual(texts[:2], [session.text("LoadFailedTitle"), message(session, key, host)])
                session.shot(f"error-page-{key}")
                if not recovery:
                    continue
                with DemoServer(port=DOWN_PORT):
                    if recovery == "try again":
                        session.press(button)
                    elif recovery == "reload":
                        session.reload_from_menu()
                    wait_for(session.web_app_shows, 30, f"the web app after {recovery}")
        silent.close()

    def test_an_untrusted_certificate_is_described_for_the_administrator(self):
        with DemoServer(port=TLS_PORT, tls=True) as server, ErrorPageSession(server.base) as session:
            _, texts = session.error_page()
            der = ssl.PEM_cert_to_DER_cert(ssl.get_server_certificate(("127.0.0.1", TLS_PORT)))
            fingerprint = ":".join(f"{byte:02X}" for byte in hashlib.sha256(der).digest())
            self.assertEqual(texts[1], message(session, "LoadFailedCertificate", f"127.0.0.1:{TLS_PORT}"))
            for expected in (session.text("CertificateSubject"), "O=Velloq Demo", fingerprint,
                             session.text("CertificateUnknownAuthority")):
                self.assertTrue(any(expected in text for text in texts), expected)
            session.shot("error-page-certificate")

    def test_an_ended_web_process_is_reloaded_once_and_a_second_end_shows_the_error_page(self):
        with ErrorPageSession("http://127.0.0.1:18480/") as session:
            wait_for(session.web_app_shows, 40, "the web app")
            session.kill_web_process()
            wait_for(session.web_app_shows, 30, "the web app reloaded")
            session.kill_web_process()
            _, texts = session.error_page()
            self.assertEqual(texts[1], session.text("LoadFailedPageStopped"))


if __name__ == "__main__":
    isolate()
    answer_every_name_unknown()
    unittest.main()
