#pragma once
// Starting GTK once per test program, on the private session bus, with this thread adopted as
// the main thread. Call GtkTestEnvironment::ensure() from SetUpTestSuite (or the first line of
// a test); it is cheap after the first call.

class GtkTestEnvironment {
public:
    static void ensure();
};
