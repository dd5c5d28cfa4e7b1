#pragma once
// What the desktop does for the application: open addresses and files with their default
// programs, show a file in the file manager, start another program, and answer whether a URI
// scheme has a handler or an application is running (its id owns its bus name).
//
// Each operation answers whether it succeeded; none throws.

#include <string>
#include <vector>

#include "platform/GObjectPtr.h"

class Workspace {
public:
    // connection: null means the session bus.
    explicit Workspace(GDBusConnection* connection = nullptr);

    // Only http, https, mailto and zoommtg addresses; others are refused with a warning.
    bool openUrl(const std::string& uri);
    bool openFile(const std::string& path);
    // Asks the file manager (org.freedesktop.FileManager1.ShowItems) to select the file,
    // without waiting for its answer; when none takes the call, opens the folder that holds
    // it. False only for a missing file, or when without a bus the folder cannot be opened.
    bool revealFile(const std::string& path);
    // Starts the program detached (never waited for) with the given arguments.
    bool launchProgram(const std::string& executablePath, const std::vector<std::string>& arguments = {});
    bool hasHandlerForScheme(const std::string& scheme);

private:
    void showItemsInFileManager(const std::string& uri, const std::string& folderUriOnFailure);

    GObjectPtr<GDBusConnection> m_connection;
};
