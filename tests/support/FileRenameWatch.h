#pragma once
// Watches one folder with inotify and reports, in order, the names of files that were
// completed there (closed after writing, or renamed into place as atomic writes do).

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include <sys/inotify.h>
#include <unistd.h>

class FileRenameWatch {
public:
    // Throws std::runtime_error when the folder cannot be watched.
    explicit FileRenameWatch(const std::string& folder) : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        if (m_fd < 0 || inotify_add_watch(m_fd, folder.c_str(), IN_MOVED_TO | IN_CLOSE_WRITE) < 0) {
            if (m_fd >= 0) close(m_fd);
            throw std::runtime_error("cannot watch " + folder);
        }
    }
    ~FileRenameWatch() { close(m_fd); }
    FileRenameWatch(const FileRenameWatch&) = delete;
    FileRenameWatch& operator=(const FileRenameWatch&) = delete;

    // Every event so far, oldest first; does not block.
    std::vector<std::string> completedNames() {
        alignas(inotify_event) std::array<char, 16384> buffer{};
        for (ssize_t length; (length = read(m_fd, buffer.data(), buffer.size())) > 0;) {
            for (ssize_t offset = 0; offset < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + offset);
                if (event->len > 0) m_names.emplace_back(event->name);
                offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return m_names;
    }

private:
    int m_fd = -1;
    std::vector<std::string> m_names;
};
