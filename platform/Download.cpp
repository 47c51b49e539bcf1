#include "platform/Download.h"

#include "platform/Application.h"

#include <QCoreApplication>
#include <QSaveFile>
#include <algorithm>
#include <atomic>
#include <curl/curl.h>
#include <memory>
#include <thread>

namespace {

DownloadLimits& Limits()
{
    static DownloadLimits limits;
    return limits;
}

struct Target {
    QSaveFile* file;
    qint64 maxBytes;
    QByteArray start;
    qint64 written = 0;
    QByteArray head;                 // the first bytes, as many as `start` has
    std::atomic<bool> ended = false; // the program has ended: the transfer stops
};

size_t WriteData(char* data, size_t size, size_t count, void* userdata)
{
    auto* target = static_cast<Target*>(userdata);
    const auto length = static_cast<qint64>(size * count);
    // A server that sends no length, or a false one, is stopped here.
    if (target->written + length > target->maxBytes)
        return 0;
    if (target->head.size() < target->start.size()) {
        target->head.append(data, std::min<qint64>(length, target->start.size() - target->head.size()));
        // Not what was asked for: no need to fetch the rest.
        if (!target->start.startsWith(target->head))
            return 0;
    }
    if (target->file->write(data, length) != length)
        return 0;
    target->written += length;
    return size * count;
}

// Called as data arrives and about once a second while none does.
int Progress(void* userdata, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<Target*>(userdata)->ended ? 1 : 0;
}

bool Transfer(CURL* curl, const QString& url, Target& target)
{
    const DownloadLimits& limits = Limits();
    const QByteArray address = url.toUtf8();
    const QByteArray protocols = limits.protocols.toUtf8();
    curl_easy_setopt(curl, CURLOPT_URL, address.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, protocols.constData());
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, limits.connectSeconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, limits.stallSeconds);
    // A server that trickles just above the stall limit would otherwise hold the update for good.
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, limits.totalSeconds);
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteData);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &target);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, Progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &target);
    if (curl_easy_perform(curl) != CURLE_OK)
        return false;
    const char* scheme = nullptr;
    curl_easy_getinfo(curl, CURLINFO_SCHEME, &scheme);
    if (scheme != nullptr && qstricmp(scheme, "file") == 0)
        return true;
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    return status >= 200 && status < 300;
}

// Runs the transfer on a thread of its own and handles this thread's events meanwhile, so that the
// program's ticks and windows go on during a long download. The program's end aborts the transfer.
bool TransferBeside(CURL* curl, const QString& url, Target& target)
{
    std::atomic<bool> done = false;
    bool complete = false;
    std::thread transfer([&] {
        complete = Transfer(curl, url, target);
        done = true;
        // Wakes the wait below.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [] {}, Qt::QueuedConnection);
    });
    {
        // Nothing that waits for the user opens inside: the download could not end before it.
        const Application::ProgramWait open;
        while (!done) {
            target.ended = Application::Terminated();
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
    }
    transfer.join();
    // A transfer that completed as the program ended is not committed either.
    return complete && !Application::Terminated();
}

} // namespace

bool URLDownloadToFile(const QString& url, const QString& file, const QByteArray& start)
{
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    if (!initialised)
        return false;
    const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl)
        return false;
    // The temporary file goes when it is not committed. Unbuffered, so that a write the disk cuts
    // short fails the transfer: buffered, the commit can report a cut-off file as complete.
    QSaveFile saved(file);
    if (!saved.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    Target target{&saved, Limits().maxBytes, start, 0, {}, false};
    if (!TransferBeside(curl.get(), url, target) || target.written == 0 || target.head != start)
        return false;
    return saved.commit();
}

void SetDownloadLimits(const DownloadLimits& limits)
{
    Limits() = limits;
}
