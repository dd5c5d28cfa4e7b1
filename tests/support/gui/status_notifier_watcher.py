# A desktop's status area as a python-dbusmock template (DbusMock's "--template" takes this
# file's path): it takes every RegisterStatusNotifierItem call, which the test reads back as the
# mock's method calls. Loaded before the mock serves its first call, unlike a method added later.
BUS_NAME = MAIN_IFACE = "org.kde.StatusNotifierWatcher"
MAIN_OBJ = "/StatusNotifierWatcher"
SYSTEM_BUS = False


def load(mock, parameters):
    mock.AddMethod(MAIN_IFACE, "RegisterStatusNotifierItem", "s", "", "")
