// The program's own requests go through the proxy the desktop sets, as the web view's do. The
// proxy comes from the environment's HTTP_PROXY, which GIO's proxy resolver reads and curl on
// its own ignores for http addresses; it is a stand-in that
// answers every request itself and keeps its request line. The servers asked for are on a port
// where nothing listens, so an answer can only have come through the proxy.

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <glib.h>
#include <gtest/gtest.h>

#include "config/Q7ZAppSettingConfigSingleton.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "downloads/Q7ZPageDownload.h"
#include "support/TempHome.h"
#include "utility/Q7ZACUtility.h"

namespace {

// Answers each connection with 200 "proxied" and notes the request's first line.
class ProxyStandIn {
public:
    ProxyStandIn() {
        sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t length = sizeof address;
        bind(m_listener, reinterpret_cast<sockaddr*>(&address), length);
        listen(m_listener, 8);
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~ProxyStandIn() {
        shutdown(m_listener, SHUT_RDWR);
        m_thread.join();
        close(m_listener);
    }
    std::vector<std::string> requestLines() {
        std::lock_guard lock(m_mutex);
        return m_requestLines;
    }

    int port = 0;

private:
    void serve() {
        for (int connection; (connection = accept(m_listener, nullptr, nullptr)) >= 0; close(connection)) {
            std::string request(4096, '\0');
            request.resize(std::max<ssize_t>(0, recv(connection, request.data(), request.size(), 0)));
            std::lock_guard lock(m_mutex);
            m_requestLines.push_back(request.substr(0, request.find("\r\n")));
            const std::string answer = "HTTP/1.1 200 OK\r\nContent-Length: 7\r\nConnection: close\r\n\r\nproxied";
            send(connection, answer.data(), answer.size(), MSG_NOSIGNAL);
        }
    }

    int m_listener = socket(AF_INET, SOCK_STREAM, 0);
    std::thread m_thread;
    std::mutex m_mutex;
    std::vector<std::string> m_requestLines;
};

TEST(DesktopProxy, TheLoginPageCheckAndPageDownloadsGoThroughIt) {
    TempHome home;
    ProxyStandIn proxy;
    g_unsetenv("no_proxy");
    g_unsetenv("NO_PROXY");
    g_setenv("HTTP_PROXY", ("http://127.0.0.1:" + std::to_string(proxy.port)).c_str(), TRUE);
    Q7ZRemoteConfigSingleton::getInstance().setServerListJsonString(
        R"([{"Sequence":0,"ServerName":"Acme","Url":"http://127.0.0.1:9/acme/","IsCnUrl":0}])");
    Q7ZAppSettingConfigSingleton::getInstance().setServerSequence(0);
    Q7ZAppSettingConfigSingleton::getInstance().setLanguage("en-US");

    EXPECT_TRUE(Q7ZACUtility::detectLoginPageValidThread());
    const auto download = Q7ZPageDownload::fetch({.url = "http://127.0.0.1:9/files/report.txt"}, home.path());
    ASSERT_EQ(download.outcome, Q7ZPageDownload::Result::Outcome::Saved);
    EXPECT_EQ(readFileText(download.savedPath), "proxied");
    EXPECT_EQ(proxy.requestLines(),
              (std::vector<std::string>{"POST http://127.0.0.1:9/acme/VUD/Parlor/ParlorLogin.aspx?lang=en-US HTTP/1.1",
                                        "GET http://127.0.0.1:9/files/report.txt HTTP/1.1"}));
}

}  // namespace
