#include "support/HttpServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace tolvtest {

namespace {

// The first output line: "Serving HTTP on 127.0.0.1 port 40123 (http://127.0.0.1:40123/) ...".
int portOfBanner(const std::string& line)
{
    auto at = line.find(" port ");
    if (at == std::string::npos) return 0;
    return std::atoi(line.c_str() + at + 6);
}

} // namespace

HttpServer::HttpServer(const std::filesystem::path& dir)
{
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    // The request log goes to stderr; keep it out of the test output.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    std::string d = dir.string();
    std::vector<const char*> argv{"python3", "-u", "-m", "http.server", "0", "--bind", "127.0.0.1",
                                  "--directory", d.c_str(), nullptr};
    int rc = posix_spawnp(&pid_, "python3", &actions, nullptr, const_cast<char* const*>(argv.data()), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        throw std::runtime_error(std::string("cannot start python3: ") + std::strerror(rc));
    }
    out_ = fds[0];

    std::string line;
    while (line.find('\n') == std::string::npos) {
        pollfd p{out_, POLLIN, 0};
        if (poll(&p, 1, 15000) <= 0) break;
        char buf[256];
        ssize_t n = read(out_, buf, sizeof buf);
        if (n <= 0) break;
        line.append(buf, static_cast<std::size_t>(n));
    }
    port_ = portOfBanner(line);
    if (port_ <= 0) {
        stop();
        throw std::runtime_error("http.server did not start: " + line);
    }
}

HttpServer::~HttpServer() { stop(); }

void HttpServer::stop()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {}
        pid_ = -1;
    }
    if (out_ >= 0) {
        close(out_);
        out_ = -1;
    }
}

std::string HttpServer::url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

int unusedPort()
{
    int s = socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0) throw std::runtime_error("socket failed");
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    socklen_t len = sizeof a;
    if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        close(s);
        throw std::runtime_error("bind failed");
    }
    int port = ntohs(a.sin_port);
    close(s);  // bound but never listening: connections to it are refused
    return port;
}

} // namespace tolvtest
