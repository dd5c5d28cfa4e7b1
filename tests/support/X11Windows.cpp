#include "support/X11Windows.h"

#include <sstream>

#include <glib.h>

namespace X11Windows {
namespace {

// Runs the script with a time limit; its standard output, or nullopt when it failed.
std::optional<std::string> runScript(const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {"timeout", "20", "/usr/bin/python3",
                                        std::string(VELLOQ_SOURCE_DIR) + "/tests/support/x11_windows.py"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& argument : command) argv.push_back(argument.data());
    argv.push_back(nullptr);
    gchar* output = nullptr;
    gint status = 0;
    const gboolean spawned = g_spawn_sync(nullptr, argv.data(), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr,
                                          &output, nullptr, &status, nullptr);
    std::string text = output ? output : "";
    g_free(output);
    if (!spawned || !g_spawn_check_wait_status(status, nullptr)) return std::nullopt;
    return text;
}

}  // namespace

std::vector<std::string> windowsOf(pid_t pid, const std::string& title) {
    std::vector<std::string> windows;
    std::istringstream lines(runScript({"find", std::to_string(pid), title}).value_or(""));
    for (std::string line; std::getline(lines, line);)
        if (!line.empty()) windows.push_back(line);
    return windows;
}

std::optional<std::string> mapState(const std::string& windowId) {
    auto output = runScript({"state", windowId});
    if (!output) return std::nullopt;
    while (!output->empty() && output->back() == '\n') output->pop_back();
    return output;
}

bool sendDeleteWindow(const std::string& windowId) {
    return runScript({"close", windowId}).has_value();
}

}  // namespace X11Windows
