"""What the benches share: the launcher's pieces (tools/session/velloq_session.py: a session bus
of the bench's own, under Xvfb without a display; the demo server; fresh homes with seeded stores;
process groups stopped whole), the figures read from /proc for every process of a side, the
windows and the bench's own loopback page server.

Run with the system's /usr/bin/python3: python3-pyatspi, python3-dbusmock and python3-xlib are
installed for it.
"""

import http.client
import http.server
import os
import subprocess
import sys
import threading
import time
import urllib.parse

BENCH_DIR = os.path.dirname(os.path.abspath(__file__))
REPO_ROOT = os.path.dirname(BENCH_DIR)
sys.path.insert(0, os.path.join(REPO_ROOT, "tools", "session"))
import velloq_session as session  # noqa: E402

# Without the user's display a bench runs as the tests do: no compositing, X11, and no
# accessibility bridge unless it reads the tree (bench/startup times both sides through it).
HEADLESS_ENV = {"WEBKIT_DISABLE_COMPOSITING_MODE": "1", "GDK_BACKEND": "x11"}
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


class RunFailed(Exception):
    pass


def isolate(own_display=False, accessible=False):
    """Runs the bench again on a session bus of its own, under an Xvfb of its own without a display
    (or with OWN_DISPLAY), as velloq_session.isolate does; returns in the run that is isolated."""
    keep_display = bool(os.environ.get("DISPLAY")) and not own_display
    if not keep_display:
        os.environ.update(HEADLESS_ENV)
    session.isolate(network=False, display=keep_display, quiet_bus=True)
    if session.headless() and not accessible:
        os.environ["NO_AT_BRIDGE"] = "1"


def seeded_home(base_url):
    """A fresh home whose stores hold the demo organisation of the server at BASE_URL as the one
    server, already chosen, so that the program opens its login page at once."""
    return session.Home(servers=session.servers((0, "acme"), base=base_url), chosen=0)


def binaries_in(build):
    return {"ours": session.program_path(build), "bare": os.path.join(build, "bench", "bare_webview"),
            "server": os.path.join(build, "tools", "demo-server", "velloq-demo-server")}


def check_built(name, binaries, targets, build):
    missing = [path for path in binaries if not os.access(path, os.X_OK)]
    if missing:
        print("%s: not built: %s\n  build the targets %s in %s" % (name, ", ".join(missing), targets, build),
              file=sys.stderr)
        return False
    return True


def start_side(command, env, log_path):
    """Starts one side in a session of its own (so its helpers can be found and stopped with
    it); its output goes to a log kept for the failure report."""
    with open(log_path, "wb") as log:
        return subprocess.Popen(command, env=env, start_new_session=True, stdin=subprocess.DEVNULL,
                                stdout=log, stderr=subprocess.STDOUT)


def log_tail(log_path, count=8):
    try:
        with open(log_path, "rb") as log:
            lines = log.read().decode("utf-8", "replace").splitlines()
    except OSError:
        return ""
    return "".join("\n    " + line for line in lines[-count:])


# --- figures of every process of a side ---------------------------------------------------

def _stat_fields(pid):
    """/proc/PID/stat after the command name (which may hold spaces): field 3 onwards."""
    with open("/proc/%d/stat" % pid, "rb") as stat:
        text = stat.read().decode("ascii", "replace")
    return text[text.rindex(")") + 2:].split()


def side_pids(root):
    """The side's processes: the root, everything below it, and whatever kept its session (a
    helper that was re-parented, like Chromium's crash handler)."""
    parents, sessions = {}, {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            fields = _stat_fields(int(entry))
        except (OSError, ValueError):
            continue
        parents[int(entry)] = int(fields[1])
        sessions[int(entry)] = int(fields[3])
    found = {pid for pid, session in sessions.items() if session == root}
    if root in parents:
        found.add(root)
    grew = True
    while grew:
        below = {pid for pid, parent in parents.items() if parent in found} - found
        found |= below
        grew = bool(below)
    return sorted(found)


def _rollup(pid):
    """The process's name and its /proc/PID/smaps_rollup figures in KiB; None once it ended."""
    try:
        with open("/proc/%d/comm" % pid) as comm:
            name = comm.read().strip()
        with open("/proc/%d/smaps_rollup" % pid) as rollup:
            fields = dict(line.split()[:2] for line in rollup if line.split()[-1] == "kB")
    except OSError:
        return None
    return name, {field.rstrip(":"): int(value) for field, value in fields.items()}


def pss_by_name(pids):
    """Proportional set size in KiB summed per process name (/proc/PID/comm)."""
    totals = {}
    for pid in pids:
        found = _rollup(pid)
        if found:
            name, figures = found
            totals[name] = totals.get(name, 0) + figures.get("Pss", 0)
    return totals


def pss_kib(pids):
    """Proportional set size summed over the processes, in KiB."""
    return sum(pss_by_name(pids).values())


def private_dirty_kib(pids):
    """Pages the processes wrote and map alone (their heaps), summed, in KiB. PSS divides a
    shared library's pages among every process on the machine mapping them, so other programs
    running the same engine lower it; these pages no other program can share."""
    return sum(found[1].get("Private_Dirty", 0) for found in filter(None, map(_rollup, pids)))


def cpu_ticks(pids):
    """utime + stime of each process, in clock ticks."""
    ticks = {}
    for pid in pids:
        try:
            fields = _stat_fields(pid)
        except (OSError, ValueError):
            continue
        ticks[pid] = int(fields[11]) + int(fields[12])
    return ticks


def idle_cpu_percent(root, seconds):
    """CPU time of the side over `seconds`, as a percentage of one core. A process that starts
    meanwhile counts from zero; one that ends takes its last interval with it."""
    before = cpu_ticks(side_pids(root))
    time.sleep(seconds)
    after = cpu_ticks(side_pids(root))
    used = sum(total - before.get(pid, 0) for pid, total in after.items())
    return 100.0 * used / CLOCK_TICKS / seconds


def mib(kib):
    return kib / 1024.0


# --- windows ------------------------------------------------------------------------------

def visible_windows(pid):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                           capture_output=True, text=True)
    return found.stdout.split()


def ask_windows_to_close(pid):
    """What a window's close button makes the window manager send: WM_DELETE_WINDOW."""
    from Xlib import X, display, protocol  # python3-xlib, installed for the system's python
    screen = display.Display()
    delete = screen.intern_atom("WM_DELETE_WINDOW")
    protocols = screen.intern_atom("WM_PROTOCOLS")
    for window_id in visible_windows(pid):
        window = screen.create_resource_object("window", int(window_id))
        message = protocol.event.ClientMessage(window=window, client_type=protocols,
                                               data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        window.send_event(message, event_mask=X.NoEventMask)
    screen.sync()
    screen.close()


def minimise_windows(pid):
    for window_id in visible_windows(pid):
        subprocess.run(["xdotool", "windowminimize", window_id], check=False)


def wait_until(condition, timeout_s, step_s=0.2):
    deadline = time.monotonic() + timeout_s
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(step_s)
    return condition()


# --- the bench's loopback page server -----------------------------------------------------

class PageServer:
    """A threaded HTTP server on a free loopback port. `routes` maps a path (without the query)
    to handler(request, body) -> (status, content type, bytes); any other path is passed to
    `upstream` (a base URL) as it came, or answered 404 without one. `rewrite(path, type, body)`
    may change what comes back from upstream."""

    def __init__(self, routes, upstream=None, rewrite=None):
        outer = self

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def log_message(self, *arguments):
                pass

            def do_GET(self):
                outer._answer(self, b"")

            def do_POST(self):
                length = int(self.headers.get("Content-Length") or 0)
                outer._answer(self, self.rfile.read(length))

        self._routes = routes
        self._upstream = urllib.parse.urlsplit(upstream) if upstream else None
        self._rewrite = rewrite
        self._server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self._server.daemon_threads = True
        self.base_url = "http://127.0.0.1:%d/" % self._server.server_address[1]
        self._thread = threading.Thread(target=self._server.serve_forever, daemon=True)
        self._thread.start()

    def _answer(self, request, body):
        path = urllib.parse.urlsplit(request.path).path
        if path in self._routes:
            status, content_type, payload = self._routes[path](request, body)
        elif self._upstream:
            status, content_type, payload = self._forward(request, body)
            if self._rewrite:
                payload = self._rewrite(path, content_type, payload)
        else:
            status, content_type, payload = 404, "text/plain", b"not found"
        request.send_response(status)
        request.send_header("Content-Type", content_type)
        request.send_header("Content-Length", str(len(payload)))
        request.send_header("Cache-Control", "no-store")
        request.end_headers()
        request.wfile.write(payload)

    def _forward(self, request, body):
        connection = http.client.HTTPConnection(self._upstream.hostname, self._upstream.port, timeout=30)
        try:
            headers = {"Content-Type": request.headers.get("Content-Type", "")} if body else {}
            connection.request(request.command, request.path, body=body or None, headers=headers)
            response = connection.getresponse()
            return response.status, response.getheader("Content-Type", "text/plain"), response.read()
        finally:
            connection.close()

    def stop(self):
        self._server.shutdown()
        self._server.server_close()
