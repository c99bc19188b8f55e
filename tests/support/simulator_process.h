// The site simulator (tools/sitesim) as a child process of a native test or
// benchmark, optionally serving TLS with a certificate of the test's own CA
// (tools/sitesim/tls_ca.py). POSIX only.
#pragma once

#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vemtrix::testing {

inline const std::string kSitesimDir = std::string(VEMTRIX_SOURCE_DIR) + "/tools/sitesim";

// Makes in folder a CA (ca.pem) and, for each kind of tls_ca.py ("good",
// "expired", "self-signed", "other-host"), KIND.pem and KIND.key for names
// (comma-separated). True when openssl did it all.
inline bool MakeTestCertificates(const std::string& folder, const std::string& names) {
  const std::string script = "import sys; sys.path.insert(0, sys.argv[1]); import tls_ca; "
                             "tls_ca.make_ca(sys.argv[2]); "
                             "[tls_ca.issue(sys.argv[2], k, sys.argv[3].split(','), k) for k in tls_ca.KINDS]";
  const std::string command = "python3 -c \"" + script + "\" '" + kSitesimDir + "' '" + folder + "' '" + names + "'";
  return std::system(command.c_str()) == 0;
}

class SimulatorProcess {
 public:
  SimulatorProcess() = default;
  ~SimulatorProcess() { Stop(); }
  SimulatorProcess(const SimulatorProcess&) = delete;
  SimulatorProcess& operator=(const SimulatorProcess&) = delete;

  // Starts sitesim.py with extra arguments; with cert and key it also
  // serves TLS on a free port. True when it said where it listens.
  bool Start(std::vector<std::string> extra, const std::string& cert = "", const std::string& key = "") {
    std::vector<std::string> args = {"python3", kSitesimDir + "/sitesim.py", "--port", "0"};
    if (!cert.empty()) {
      for (const std::string& a : {std::string("--tls-port"), std::string("0"), std::string("--tls-cert"), cert,
                                   std::string("--tls-key"), key}) {
        args.push_back(a);
      }
    }
    args.insert(args.end(), extra.begin(), extra.end());
    int fds[2];
    if (pipe(fds) != 0) return false;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(fds[1], 1);
      close(fds[0]);
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execvp("python3", argv.data());
      _exit(127);
    }
    close(fds[1]);
    FILE* out = fdopen(fds[0], "r");
    if (out == nullptr) return false;
    char line[128];
    for (int lines = cert.empty() ? 1 : 2; lines > 0 && std::fgets(line, sizeof line, out) != nullptr; --lines) {
      const std::string text = line;
      const int port = std::atoi(text.c_str() + text.rfind(' ') + 1);
      (text.find("TLS") != std::string::npos ? tlsPort_ : port_) = port;
    }
    std::fclose(out);
    return port_ > 0 && (cert.empty() || tlsPort_ > 0);
  }

  void Stop() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
      pid_ = 0;
    }
  }

  int Port() const { return port_; }
  int TlsPort() const { return tlsPort_; }

  // A control request over plain http ("/__sim/log?format=raw", ...): the
  // body of the answer.
  std::string Control(const std::string& target) const {
    platform::TcpConnection connection;
    if (!connection.Connect("127.0.0.1", port_, 5000)) return std::string();
    connection.Send("GET " + target + " HTTP/1.0\r\nHost: sim\r\n\r\n");
    std::string response;
    char buffer[4096];
    for (int got; (got = connection.Receive(buffer, sizeof buffer)) > 0;) response.append(buffer, got);
    const std::size_t body = response.find("\r\n\r\n");
    return body == std::string::npos ? std::string() : response.substr(body + 4);
  }

 private:
  pid_t pid_ = 0;
  int port_ = 0;
  int tlsPort_ = 0;
};

}  // namespace vemtrix::testing
