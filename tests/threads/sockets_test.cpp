// The platform layer's sockets, run natively, under the thread sanitizer and
// under Wine.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"

using namespace vemtrix::platform;

TEST(PlatformSockets, ConnectSendReceiveAndTimeOut) {
  TcpListener listener;
  ASSERT_TRUE(listener.Listen(0));
  ASSERT_GT(listener.Port(), 0);

  TcpConnection client;
  ASSERT_TRUE(client.Connect("127.0.0.1", listener.Port(), 300));
  TcpConnection server;
  ASSERT_TRUE(listener.Accept(server, 5000));

  ASSERT_TRUE(client.Send("hello"));
  char buffer[16] = {};
  int got = server.Receive(buffer, sizeof buffer);
  ASSERT_EQ(got, 5);
  EXPECT_EQ(std::string(buffer, 5), "hello");

  // The peer says nothing: the receive ends after the time-out with 0.
  EXPECT_EQ(client.Receive(buffer, sizeof buffer), 0);

  // The peer closes: the receive returns 0 at once.
  server.Close();
  EXPECT_EQ(client.Receive(buffer, sizeof buffer), 0);
}

TEST(PlatformSockets, ConnectFailsForClosedPortAndUnknownHost) {
  int port = 0;
  {
    TcpListener listener;
    ASSERT_TRUE(listener.Listen(0));
    port = listener.Port();
  }
  TcpConnection client;
  EXPECT_FALSE(client.Connect("127.0.0.1", port, 2000));
  EXPECT_FALSE(client.IsOpen());
  EXPECT_FALSE(client.Connect("no-such-host.invalid", 80, 2000));
  EXPECT_FALSE(client.Connect("", 80, 2000));
}
