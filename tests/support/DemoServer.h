#pragma once
// The built demo organisation server (tools/demo-server), run as a child process on a free
// loopback port for one test. The constructor returns once the server accepts connections;
// the destructor stops it (SIGTERM, then SIGKILL if it lingers) and reaps it.

#include <optional>
#include <string>
#include <sys/types.h>

class DemoServer {
public:
    // Serves the /test/ routes too. port 0 takes a free one. Throws std::runtime_error when
    // the server cannot be started within a few seconds.
    explicit DemoServer(const std::string& dataFolder = defaultDataFolder(), int port = 0);
    ~DemoServer();
    DemoServer(const DemoServer&) = delete;
    DemoServer& operator=(const DemoServer&) = delete;

    // "http://127.0.0.1:PORT/"
    const std::string& baseUrl() const { return m_baseUrl; }
    int port() const { return m_port; }
    // baseUrl() followed by path (without its leading "/").
    std::string url(const std::string& path) const;

    static std::string defaultDataFolder();
    static std::string serverProgram();
    static std::string signerProgram();

private:
    void waitForListeningLine();
    void stop();

    pid_t m_pid = -1;
    int m_stdoutFd = -1;
    int m_port = 0;
    std::string m_baseUrl;
};

// Signs a payload (JSON text, "{base}" replaced by baseUrl) with the signing tool; the token
// without its newline, or nullopt when the tool fails. keyPath "" means the shipped test key.
std::optional<std::string> signSettingCode(const std::string& payloadJson, const std::string& baseUrl,
                                           const std::string& keyPath = "");

// The shipped test key pair.
std::string testPrivateKeyPath();
std::string testPublicKeyPath();
