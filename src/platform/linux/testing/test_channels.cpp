#include "platform/linux/testing/test_channels.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace t47::test {
namespace {

std::optional<sockaddr_un> AddressOf(const std::filesystem::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.native().size() >= sizeof address.sun_path) {
        return std::nullopt;
    }
    std::strcpy(address.sun_path, path.c_str());
    return address;
}

const sockaddr* Generic(const sockaddr_un& address) {
    return reinterpret_cast<const sockaddr*>(&address);
}

}  // namespace

DatagramSender::DatagramSender(const std::filesystem::path& socketPath)
    : socket(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
    const auto address = AddressOf(socketPath);
    connected =
        socket >= 0 && address && ::connect(socket, Generic(*address), sizeof *address) == 0;
}

DatagramSender::~DatagramSender() {
    if (socket >= 0) {
        ::close(socket);
    }
}

bool DatagramSender::Send(std::span<const std::uint8_t> datagram) {
    return ::send(socket, datagram.data(), datagram.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(datagram.size());
}

bool SendDatagram(const std::filesystem::path& socketPath, std::span<const std::uint8_t> datagram) {
    DatagramSender sender(socketPath);
    return sender.Connected() && sender.Send(datagram);
}

bool LeaveDeadSocket(const std::filesystem::path& socketPath) {
    const auto address = AddressOf(socketPath);
    const int socket = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const bool bound =
        socket >= 0 && address && ::bind(socket, Generic(*address), sizeof *address) == 0;
    if (socket >= 0) {
        ::close(socket);
    }
    return bound;
}

Pipe::Pipe() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) == 0) {
        readEnd = ends[0];
        writeEnd = ends[1];
    }
}

Pipe::~Pipe() {
    for (const int end : {readEnd, writeEnd}) {
        if (end >= 0) {
            ::close(end);
        }
    }
}

std::string Pipe::CloseAndRead() {
    if (writeEnd >= 0) {
        ::close(writeEnd);
        writeEnd = -1;
    }
    std::string text;
    char buffer[256];
    ssize_t got = 0;
    while (readEnd >= 0 && (got = ::read(readEnd, buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

NamedPipe::NamedPipe(const std::filesystem::path& path) {
    if (::mkfifo(path.c_str(), 0600) == 0) {
        // Opened without waiting for a writer; until one comes, a wait for data goes on.
        reader = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    }
}

NamedPipe::~NamedPipe() {
    if (reader >= 0) {
        ::close(reader);
    }
}

std::optional<std::string> NamedPipe::ReadWithin(std::chrono::milliseconds limit) {
    pollfd ready{reader, POLLIN, 0};
    if (reader < 0 || ::poll(&ready, 1, static_cast<int>(limit.count())) != 1) {
        return std::nullopt;
    }
    char buffer[256];
    const ssize_t got = ::read(reader, buffer, sizeof buffer);
    if (got <= 0) {
        return std::nullopt;
    }
    return std::string(buffer, static_cast<std::size_t>(got));
}

}  // namespace t47::test
