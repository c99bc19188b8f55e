// A small HTTP server on the loopback address, run on its own thread inside
// the test process. Each connection's request (read up to the blank line) is
// recorded and handed to the test's handler, which answers as it likes.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vemtrix::testing {

class LoopbackServer {
 public:
  using Handler = std::function<void(platform::TcpConnection& client, const std::string& request)>;

  explicit LoopbackServer(Handler handler) : handler_(std::move(handler)) {
    listening_ = listener_.Listen(0);
    if (listening_) {
      thread_.Start([this] { Serve(); });
    }
  }
  ~LoopbackServer() { Stop(); }

  void Stop() {
    stop_ = true;
    thread_.Join();
    listener_.Close();
  }

  bool Listening() const { return listening_; }
  int Port() const { return listener_.Port(); }

  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> guard(lock_);
    return requests_;
  }

  // Answers with text and closes the connection.
  static Handler Answer(std::string text) {
    return [text](platform::TcpConnection& client, const std::string&) { client.Send(text); };
  }

 private:
  void Serve() {
    while (!stop_) {
      platform::TcpConnection client;
      if (!listener_.Accept(client, 50)) continue;
      std::string request;
      char buffer[1024];
      while (request.find("\r\n\r\n") == std::string::npos) {
        int got = client.Receive(buffer, sizeof buffer);
        if (got <= 0) break;
        request.append(buffer, static_cast<std::size_t>(got));
      }
      {
        std::lock_guard<std::mutex> guard(lock_);
        requests_.push_back(request);
      }
      handler_(client, request);
      client.Close();
    }
  }

  Handler handler_;
  platform::TcpListener listener_;
  platform::Thread thread_;
  std::atomic<bool> stop_{false};
  bool listening_ = false;
  std::mutex lock_;
  std::vector<std::string> requests_;
};

}  // namespace vemtrix::testing
