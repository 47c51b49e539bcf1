#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Fetches `url` into `file`. True only for a complete transfer (an answer with an HTTP 2xx status,
// or a readable file: URL) of at least one byte that begins with `start`. The data goes to a
// temporary file beside `file`, which replaces `file` only when the transfer counts: a failed,
// interrupted or refused download leaves `file` as it was. The transfer runs beside the calling
// thread, which handles its events (timers, windows) until the transfer ends, as a wait of the
// program (Application::ProgramWait). The program's end aborts the transfer, which then fails.
bool URLDownloadToFile(const QString& url, const QString& file, const QByteArray& start = {});

// What a download may do. Only https (certificates checked) and file: addresses are fetched, and a
// redirect may lead to https only; a download that grows past `maxBytes`, whose connection is not
// set up within `connectSeconds`, that moves no data for `stallSeconds` or that takes longer than
// `totalSeconds` in all fails.
struct DownloadLimits {
    QString protocols = QStringLiteral("https,file");
    long connectSeconds = 15;
    long stallSeconds = 30;
    long totalSeconds = 600;
    qint64 maxBytes = qint64(256) * 1024 * 1024;
};
// Tests shorten the limits or allow plain http to a server of their own; {} restores them.
void SetDownloadLimits(const DownloadLimits& limits);
