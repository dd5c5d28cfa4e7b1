#include "support/FileRenameWatch.h"

#include <array>
#include <cerrno>
#include <stdexcept>

#include <sys/inotify.h>
#include <unistd.h>

FileRenameWatch::FileRenameWatch(const std::string& folder) : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (m_fd < 0) throw std::runtime_error("inotify_init1 failed");
    if (inotify_add_watch(m_fd, folder.c_str(), IN_MOVED_TO | IN_CLOSE_WRITE) < 0) {
        close(m_fd);
        throw std::runtime_error("cannot watch " + folder);
    }
}

FileRenameWatch::~FileRenameWatch() { close(m_fd); }

std::vector<std::string> FileRenameWatch::completedNames() {
    alignas(inotify_event) std::array<char, 16384> buffer{};
    for (;;) {
        const ssize_t length = read(m_fd, buffer.data(), buffer.size());
        if (length <= 0) break;
        for (ssize_t offset = 0; offset < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + offset);
            if (event->len > 0) m_names.emplace_back(event->name);
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return m_names;
}
