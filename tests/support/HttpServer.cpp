#include "support/HttpServer.h"

#include <arpa/inet.h>
#include <fstream>
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

const char* const kScript = R"PY(
import http.server, os, socketserver, sys, time, urllib.parse
folder, fault, faulty, rate, log = sys.argv[1], sys.argv[2], sys.argv[3], float(sys.argv[4]), sys.argv[5]

class Handler(http.server.SimpleHTTPRequestHandler):
    def __init__(self, *a, **k):
        super().__init__(*a, directory=folder, **k)

    def log_message(self, *a):
        pass

    def do_GET(self):
        if self.path.startswith("http://") or self.path.startswith("https://"):
            self.path = urllib.parse.urlsplit(self.path).path  # asked as a proxy
        with open(log, "a") as f:
            f.write(self.path + "\n")
        if fault != "none" and self.path.endswith(faulty):
            return self.misbehave()
        return super().do_GET()

    def misbehave(self):
        if fault == "drop":
            self.close_connection = True
            return
        path = self.translate_path(self.path)
        body = open(path, "rb").read() if os.path.isfile(path) else b"x" * 4096
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.flush()
        if fault == "trickle":
            for i in range(len(body)):
                self.wfile.write(body[i:i + 1])
                self.wfile.flush()
                time.sleep(1.0 / rate)
            return
        self.wfile.write(body[:len(body) // 2])
        self.wfile.flush()
        if fault == "stall":
            time.sleep(3600)
        self.close_connection = True

class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True

server = Server(("127.0.0.1", 0), Handler)
print("Serving HTTP on 127.0.0.1 port %d" % server.server_address[1], flush=True)
server.serve_forever()
)PY";

const char* faultName(HttpServer::Fault f)
{
    switch (f) {
    case HttpServer::Drop: return "drop";
    case HttpServer::Stall: return "stall";
    case HttpServer::Close: return "close";
    case HttpServer::Trickle: return "trickle";
    default: return "none";
    }
}

} // namespace

HttpServer::HttpServer(const std::filesystem::path& dir, Fault fault, const std::string& faulty, int bytesPerSecond)
{
    log_ = dir.string() + ".requests";
    std::error_code none;
    std::filesystem::remove(log_, none);
    {
        std::ofstream touch(log_);
    }
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    // The request log goes to stderr; keep it out of the test output.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    std::string d = dir.string(), rate = std::to_string(bytesPerSecond), log = log_.string();
    std::vector<const char*> argv{"python3",        "-u",           "-c",         kScript,     d.c_str(),
                                  faultName(fault), faulty.c_str(), rate.c_str(), log.c_str(), nullptr};
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
    std::error_code ec;
    std::filesystem::remove(log_, ec);
}

std::vector<std::string> HttpServer::requests() const
{
    std::vector<std::string> out;
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

int HttpServer::requestsFor(const std::string& tail) const
{
    int n = 0;
    for (const std::string& r : requests())
        if (r.size() >= tail.size() && r.compare(r.size() - tail.size(), tail.size(), tail) == 0) ++n;
    return n;
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
    if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        close(s);
        throw std::runtime_error("bind failed");
    }
    int port = ntohs(a.sin_port);
    close(s); // bound but never listening: connections to it are refused
    return port;
}

} // namespace tolvtest
