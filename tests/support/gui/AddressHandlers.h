#pragma once
// A handler registered in the program's home for the address schemes the desktop may be asked
// to open (http, mailto, zoommtg and the tests' own velloq-test) and the downloads' file types:
// each address it gets is added as a line to a file named after its scheme ("file" for a file's path). GLib reads the XDG folders once per process, so register
// before GTK starts.

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/TempHome.h"

inline void registerAddressHandlers() {
    const std::string handler = processHome().path() + "/open-handler";
    // A local file comes as its path.
    writeFileText(handler,
                  "#!/bin/sh\ncase \"$1\" in /*) kind=file ;; *) kind=${1%%:*} ;; esac\n"
                  "printf '%s\\n' \"$1\" >> \"$0-$kind\"\n");
    std::filesystem::permissions(handler, std::filesystem::perms::owner_all);
    std::string mimeTypes, defaults;
    for (const std::string type :
         {"x-scheme-handler/http", "x-scheme-handler/mailto", "x-scheme-handler/zoommtg",
          "x-scheme-handler/velloq-test", "text/plain", "application/pdf", "application/octet-stream"}) {
        mimeTypes += type + ";";
        defaults += type + "=open-handler.desktop\n";
    }
    writeFileText(
        processHome().path() + "/.local/share/applications/open-handler.desktop",
        "[Desktop Entry]\nType=Application\nName=Open handler\nExec=" + handler + " %u\nMimeType=" + mimeTypes + "\n");
    writeFileText(processHome().path() + "/.config/mimeapps.list", "[Default Applications]\n" + defaults);
}

// Every address of that scheme the handler got, oldest first.
inline std::vector<std::string> openedAddresses(const std::string& scheme) {
    std::vector<std::string> addresses;
    std::istringstream lines(readFileText(processHome().path() + "/open-handler-" + scheme));
    for (std::string line; std::getline(lines, line);) addresses.push_back(line);
    return addresses;
}

// The last address of that scheme the handler got; "" for none.
inline std::string openedAddress(const std::string& scheme) {
    const auto addresses = openedAddresses(scheme);
    return addresses.empty() ? "" : addresses.back();
}
