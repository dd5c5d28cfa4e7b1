#!/usr/bin/python3
"""The top-level X11 windows of process PID titled TITLE, for the end-to-end tests.

  state PID TITLE   prints the map state of each: "viewable", "unviewable" or "unmapped"
  close PID TITLE   sends each WM_DELETE_WINDOW, as a window manager's close button does
"""
import sys

from Xlib import X, display, protocol

STATES = {X.IsViewable: "viewable", X.IsUnviewable: "unviewable", X.IsUnmapped: "unmapped"}


def main(command, pid, title):
    dpy = display.Display()

    def value(window, name, kind=X.AnyPropertyType):
        reply = window.get_full_property(dpy.intern_atom(name), kind)
        return reply.value if reply else None

    for window in dpy.screen().root.query_tree().children:
        pids = value(window, "_NET_WM_PID")
        # GDK's hidden client-leader window has the title too, but no window type.
        if not pids or pids[0] != int(pid) or value(window, "_NET_WM_WINDOW_TYPE") is None:
            continue
        name = value(window, "_NET_WM_NAME", dpy.intern_atom("UTF8_STRING"))
        if name is None or name.decode("utf-8", "replace") != title:
            continue
        if command == "state":
            print(STATES[window.get_attributes().map_state])
        else:
            data = (32, [dpy.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0])
            window.send_event(protocol.event.ClientMessage(window=window, client_type=dpy.intern_atom("WM_PROTOCOLS"),
                                                           data=data), event_mask=X.NoEventMask)
    dpy.sync()


if __name__ == "__main__":
    main(*sys.argv[1:])
