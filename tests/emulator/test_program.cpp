// lumivex-dac-emulator as a user runs it: SIGTERM ends it at once, even
// while a host floods it and never reads an answer.
#include "HeldPort.h"

#include "dac/EtherDream.h"
#include "dac/Net.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

// The exit status, or -1 when it has not ended by the deadline.
int WaitEnd(pid_t pid, dac::Clock::time_point deadline)
{
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (dac::Clock::now() > deadline)
            return -1;
        std::this_thread::sleep_for(10ms);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(EmulatorProgram, SigtermEndsItWhileAHostNeverReads)
{
    // Held until the test ends: no other test takes it before the program listens.
    const testsupport::HeldPort held(testsupport::HeldPort::Protocol::Tcp);
    const std::string port = std::to_string(held.Number());
    std::vector<std::string> args = {LUMIVEX_DAC_EMULATOR, "--kind", "etherdream", "--port", port,
                                     "--broadcast-to",     "none"};
    std::vector<char *> argv;
    for (auto &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);

    dac::Socket host;
    for (int i = 0; i < 100 && !host.Valid(); ++i) {
        host = dac::TcpConnect(*dac::Resolve("127.0.0.1", held.Number()), 100ms);
        if (!host.Valid())
            std::this_thread::sleep_for(20ms);
    }
    ASSERT_TRUE(host.Valid());
    ::fcntl(host.Fd(), F_SETFL, ::fcntl(host.Fd(), F_GETFL) | O_NONBLOCK);
    // Pings for a second while the answers pile up unread.
    const std::vector<std::uint8_t> pings(4096, dac::etherdream::kPing);
    for (const auto end = dac::Clock::now() + 1s; dac::Clock::now() < end;) {
        if (::send(host.Fd(), pings.data(), pings.size(), MSG_NOSIGNAL) < 0 && errno != EAGAIN)
            break; // let go
        std::this_thread::sleep_for(1ms);
    }
    ::kill(pid, SIGTERM);
    const int status = WaitEnd(pid, dac::Clock::now() + 5s);
    if (status < 0) {
        ::kill(pid, SIGKILL);
        WaitEnd(pid, dac::Clock::now() + 5s);
    }
    EXPECT_EQ(status, 0);
}

} // namespace
