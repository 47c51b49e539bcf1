#include "LoopbackServer.h"

#include <QList>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int PollMilliseconds = 50;

// Waits for the socket to become readable while the server runs; false when it is stopped.
bool WaitReadable(int socket, const std::atomic<bool>& stop)
{
    pollfd ready{socket, POLLIN, 0};
    while (!stop) {
        if (poll(&ready, 1, PollMilliseconds) > 0)
            return true;
    }
    return false;
}

// Waits about a second; false when the server stops or the client has gone meanwhile.
bool WaitASecond(int socket, const std::atomic<bool>& stop)
{
    pollfd gone{socket, POLLIN, 0};
    for (int waited = 0; waited < 1000 && !stop; waited += PollMilliseconds) {
        if (poll(&gone, 1, PollMilliseconds) > 0)
            return false;
    }
    return !stop;
}

void Send(int socket, const QByteArray& data)
{
    qsizetype sent = 0;
    while (sent < data.size()) {
        const ssize_t n =
            send(socket, data.constData() + sent, static_cast<size_t>(data.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            return;
        sent += n;
    }
}

} // namespace

LoopbackServer::LoopbackServer()
{
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listener_, 8) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("the loopback server cannot listen");
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Run(); });
}

LoopbackServer::~LoopbackServer()
{
    stop_ = true;
    thread_.join();
    close(listener_);
}

void LoopbackServer::Serve(const QByteArray& path, const Answer& answer)
{
    const std::lock_guard lock(mutex_);
    answers_[path] = answer;
}

QString LoopbackServer::Location() const
{
    return QStringLiteral("http://127.0.0.1:%1/").arg(port_);
}

void LoopbackServer::Run()
{
    while (WaitReadable(listener_, stop_)) {
        const int client = accept(listener_, nullptr, nullptr);
        if (client < 0)
            continue;
        Handle(client);
        close(client);
    }
}

void LoopbackServer::Handle(int client)
{
    QByteArray request;
    char buffer[4096];
    while (!request.contains("\r\n\r\n")) {
        if (!WaitReadable(client, stop_))
            return;
        const ssize_t n = recv(client, buffer, sizeof buffer, 0);
        if (n <= 0)
            return;
        request.append(buffer, n);
    }
    const QByteArray path = request.split(' ').value(1);
    Answer answer{"404 Not Found", "not here", {}, Mode::Whole};
    {
        const std::lock_guard lock(mutex_);
        if (const auto found = answers_.find(path); found != answers_.end())
            answer = found->second;
    }
    if (answer.mode == Mode::Silent) {
        // Until the client gives up (readable at its end) or the server stops.
        WaitReadable(client, stop_);
        return;
    }
    QByteArray head = "HTTP/1.1 " + answer.status + "\r\nConnection: close\r\n" + answer.headers;
    if (answer.mode != Mode::Unsized)
        head += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
    Send(client, head + "\r\n");
    if (answer.mode == Mode::Trickle) {
        for (qsizetype sent = 0; sent < answer.body.size() && WaitASecond(client, stop_); sent += 2) {
            const QByteArray piece = answer.body.mid(sent, 2);
            trickled_ += piece.size();
            Send(client, piece);
        }
        return;
    }
    Send(client, answer.mode == Mode::Truncated ? answer.body.left(answer.body.size() / 2) : answer.body);
}
