#!/usr/bin/python3
"""Looks at and closes top-level X11 windows for the end-to-end tests.

  find PID TITLE   ids (hex) of the top-level windows of process PID with that title
  state WINDOW     "viewable", "unviewable" or "unmapped"
  close WINDOW     sends WM_DELETE_WINDOW, as a window manager's close button does
"""
import sys

from Xlib import X, display, protocol


def top_level_windows(dpy):
    return dpy.screen().root.query_tree().children


def property_value(dpy, window, name, kind):
    reply = window.get_full_property(dpy.intern_atom(name), kind)
    return reply.value if reply else None


def find(dpy, pid, title):
    utf8 = dpy.intern_atom("UTF8_STRING")
    for window in top_level_windows(dpy):
        pids = property_value(dpy, window, "_NET_WM_PID", X.AnyPropertyType)
        if not pids or pids[0] != pid:
            continue
        # GDK's hidden client-leader window has the title too, but no window type.
        if property_value(dpy, window, "_NET_WM_WINDOW_TYPE", X.AnyPropertyType) is None:
            continue
        name = property_value(dpy, window, "_NET_WM_NAME", utf8)
        if name is not None and name.decode("utf-8", "replace") == title:
            print(hex(window.id))


def state(dpy, window):
    names = {X.IsViewable: "viewable", X.IsUnviewable: "unviewable", X.IsUnmapped: "unmapped"}
    print(names[window.get_attributes().map_state])


def close(dpy, window):
    protocols = dpy.intern_atom("WM_PROTOCOLS")
    delete = dpy.intern_atom("WM_DELETE_WINDOW")
    event = protocol.event.ClientMessage(window=window, client_type=protocols,
                                         data=(32, [delete, X.CurrentTime, 0, 0, 0]))
    window.send_event(event, event_mask=X.NoEventMask)
    dpy.sync()


def main(argv):
    dpy = display.Display()
    command = argv[1]
    if command == "find":
        find(dpy, int(argv[2]), argv[3])
    elif command == "state":
        state(dpy, dpy.create_resource_object("window", int(argv[2], 16)))
    elif command == "close":
        close(dpy, dpy.create_resource_object("window", int(argv[2], 16)))
    else:
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
