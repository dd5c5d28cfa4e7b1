#pragma once
// The built demo organisation server (tools/demo-server), run as a child process on a free
// loopback port for one test. The constructor returns once the server accepts connections;
// the destructor kills it and reaps it.

#include <sys/types.h>
#include <string>

class DemoServer {
public:
    // Serves the /test/ routes too, on a free port. Throws std::runtime_error when the server
    // cannot be started within a few seconds.
    explicit DemoServer(const std::string& dataFolder = defaultDataFolder());
    ~DemoServer() { stop(); }
    DemoServer(const DemoServer&) = delete;
    DemoServer& operator=(const DemoServer&) = delete;

    // "http://127.0.0.1:PORT/"
    const std::string& baseUrl() const { return m_baseUrl; }
    int port() const { return m_port; }
    // baseUrl() followed by path (without its leading "/").
    std::string url(const std::string& path) const {
        return m_baseUrl + (path.rfind('/', 0) == 0 ? path.substr(1) : path);
    }

    static std::string defaultDataFolder() { return VELLOQ_SOURCE_DIR "/tools/demo-server/data"; }

private:
    void stop();

    pid_t m_pid = -1;
    int m_stdoutFd = -1;  // kept open while the server runs, so its writes never meet a closed pipe
    int m_port = 0;
    std::string m_baseUrl;
};
