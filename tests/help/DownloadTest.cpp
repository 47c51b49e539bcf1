#include "platform/Download.h"
#include "tests/help/LoopbackServer.h"
#include "tests/support/FullDisk.h"
#include "tests/support/WorkingFolder.h"

#include <QDir>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

using Mode = LoopbackServer::Mode;

struct Case {
    const char* path;
    bool fetched;
};

// Every refused or broken transfer leaves the earlier file as it was and no temporary file behind.
TEST(URLDownloadToFile, OnlyACompleteAllowedTransferReplacesTheFile)
{
    WorkingFolder folder;
    LoopbackServer server;
    const QByteArray body(4000, 'x');
    server.Serve("/whole", {"200 OK", body, {}, Mode::Whole});
    server.Serve("/empty", {"200 OK", {}, {}, Mode::Whole});
    server.Serve("/error", {"500 Internal Server Error", body, {}, Mode::Whole});
    server.Serve("/cut", {"200 OK", body, {}, Mode::Truncated});
    server.Serve("/large", {"200 OK", QByteArray(5000, 'x'), {}, Mode::Whole});
    server.Serve("/large-unsized", {"200 OK", QByteArray(5000, 'x'), {}, Mode::Unsized});
    server.Serve("/silent", {"200 OK", body, {}, Mode::Silent});
    server.Serve("/trickle", {"200 OK", body, {}, Mode::Trickle});
    server.Serve("/to-http",
                 {"302 Found", {}, "Location: " + server.Location().toUtf8() + "whole\r\n", Mode::Whole});
    server.Serve("/to-file", {"302 Found", {}, "Location: file:///etc/hostname\r\n", Mode::Whole});

    // Plain http only for this server, and small limits.
    EXPECT_FALSE(URLDownloadToFile(server.Location() + QStringLiteral("whole"), QStringLiteral("target")));
    DownloadLimits limits;
    limits.protocols = QStringLiteral("http,https,file");
    limits.stallSeconds = 1;
    limits.totalSeconds = 3;
    limits.maxBytes = 4500;
    SetDownloadLimits(limits);

    const Case cases[] = {{"whole", true},    {"empty", false},   {"error", false},         {"cut", false},
                          {"large", false},   {"trickle", false}, {"large-unsized", false}, {"silent", false},
                          {"to-http", false}, {"to-file", false}, {"missing", false}};
    // The caller's timers go on while a transfer runs.
    int ticks = 0;
    QTimer tick;
    tick.callOnTimeout([&] { ++ticks; });
    tick.start(10);
    for (const Case& c : cases) {
        folder.Write(QStringLiteral("target"), "earlier");
        const bool fetched =
            URLDownloadToFile(server.Location() + QString::fromUtf8(c.path), QStringLiteral("target"));
        EXPECT_EQ(fetched, c.fetched) << c.path;
        EXPECT_EQ(folder.Read(QStringLiteral("target")), c.fetched ? body : QByteArray("earlier")) << c.path;
        EXPECT_EQ(QDir().entryList(QDir::Files), QStringList(QStringLiteral("target"))) << c.path;
    }
    EXPECT_GT(ticks, 0);
    // A file that does not begin as asked is refused.
    for (const QByteArray& start : {QByteArray("xxx"), QByteArray("xy"), body + "y"})
        EXPECT_EQ(
            URLDownloadToFile(server.Location() + QStringLiteral("whole"), QStringLiteral("target"), start),
            start == "xxx");
    EXPECT_EQ(QDir().entryList(QDir::Files), QStringList(QStringLiteral("target")));
    folder.Write(QStringLiteral("source"), "local");
    EXPECT_TRUE(URLDownloadToFile(QUrl::fromLocalFile(folder.Path() + QStringLiteral("/source")).toString(),
                                  QStringLiteral("target")));
    EXPECT_EQ(folder.Read(QStringLiteral("target")), "local");
    EXPECT_FALSE(URLDownloadToFile(QStringLiteral("file:///no/such/file"), QStringLiteral("target")));
    {
        // A disk that fills up part-way through.
        const FullDisk full(1000);
        EXPECT_FALSE(
            URLDownloadToFile(server.Location() + QStringLiteral("whole"), QStringLiteral("target")));
    }
    EXPECT_EQ(folder.Read(QStringLiteral("target")), "local");
    EXPECT_EQ(QDir().entryList(QDir::Files),
              QStringList({QStringLiteral("source"), QStringLiteral("target")}));
    SetDownloadLimits({});
}

} // namespace
