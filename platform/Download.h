#pragma once

#include <QString>
#include <QtGlobal>

// Fetches `url` into `file`, blocking until the transfer ends. True only for a complete transfer
// (an answer with an HTTP 2xx status, or a readable file: URL). The data goes to a temporary file
// beside `file`, which replaces `file` only when the transfer is complete: a failed or interrupted
// download leaves `file` as it was.
bool URLDownloadToFile(const QString& url, const QString& file);

// What a download may do. Only https (certificates checked) and file: addresses are fetched, and a
// redirect may lead to https only; a download that grows past `maxBytes`, whose connection is not
// set up within `connectSeconds` or that moves no data for `stallSeconds` fails.
struct DownloadLimits {
    QString protocols = QStringLiteral("https,file");
    long connectSeconds = 15;
    long stallSeconds = 30;
    qint64 maxBytes = qint64(256) * 1024 * 1024;
};
// Tests shorten the limits or allow plain http to a server of their own; {} restores them.
void SetDownloadLimits(const DownloadLimits& limits);
