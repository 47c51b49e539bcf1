#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <map>
#include <mutex>
#include <thread>

// An HTTP server on 127.0.0.1 for one test. The program's downloads block the test's thread, so the
// server answers on a thread of its own; every wait is bounded and the server stops when destroyed.
class LoopbackServer {
public:
    enum class Mode {
        Whole,     // the body with its length
        Truncated, // the full length announced, half the body sent, then the connection closed
        Unsized,   // the body without a length, ended by closing the connection
        Silent,    // the request is read and never answered
        Trickle,   // the body with its length, two bytes a second
    };
    struct Answer {
        QByteArray status = "200 OK";
        QByteArray body;
        QByteArray headers; // extra header lines, each ended by CR LF
        Mode mode = Mode::Whole;
    };

    LoopbackServer();
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // Paths not served get 404.
    void Serve(const QByteArray& path, const Answer& answer);
    // "http://127.0.0.1:<port>/"
    QString Location() const;
    // The body bytes that trickling answers have sent, each counted before it goes out.
    qsizetype Trickled() const { return trickled_; }

private:
    void Run();
    void Handle(int client);

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_ = false;
    std::atomic<qsizetype> trickled_ = 0;
    std::mutex mutex_;
    std::map<QByteArray, Answer> answers_;
    std::thread thread_;
};
