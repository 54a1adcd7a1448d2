#pragma once

// Sockets and pipes as another program would use them, for the Linux platform's tests.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace t47::test {

// A datagram socket connected to a socket file, which it keeps reaching after the process
// gives up the rights that let it connect.
class DatagramSender {
  public:
    explicit DatagramSender(const std::filesystem::path& socketPath);
    ~DatagramSender();
    DatagramSender(const DatagramSender&) = delete;
    DatagramSender& operator=(const DatagramSender&) = delete;

    bool Connected() const { return connected; }
    bool Send(std::span<const std::uint8_t> datagram);

  private:
    int socket;
    bool connected = false;
};

// One datagram from a socket of its own; false when it cannot be sent.
bool SendDatagram(const std::filesystem::path& socketPath, std::span<const std::uint8_t> datagram);

// A socket file that nobody listens on, as a program that died leaves it.
bool LeaveDeadSocket(const std::filesystem::path& socketPath);

// A pipe whose write end the code under test is given.
class Pipe {
  public:
    Pipe();
    ~Pipe();
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    int WriteEnd() const { return writeEnd; }
    // Everything written, once the write end is closed here.
    std::string CloseAndRead();

  private:
    int readEnd = -1;
    int writeEnd = -1;
};

// A named pipe that another program writes into.
class NamedPipe {
  public:
    explicit NamedPipe(const std::filesystem::path& path);
    ~NamedPipe();
    NamedPipe(const NamedPipe&) = delete;
    NamedPipe& operator=(const NamedPipe&) = delete;

    // The first bytes written, or none when nothing came within the limit (a limit that only
    // a broken program reaches, not a measurement).
    std::optional<std::string> ReadWithin(std::chrono::milliseconds limit);

  private:
    int reader = -1;
};

}  // namespace t47::test
