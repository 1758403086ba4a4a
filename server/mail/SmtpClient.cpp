#include "SmtpClient.h"

#include <curl/curl.h>

#include <cstring>
#include <mutex>

using namespace Qt::StringLiterals;

namespace {

struct Upload
{
    const QByteArray *data;
    qsizetype offset = 0;
};

size_t readUpload(char *buffer, size_t size, size_t count, void *user)
{
    auto *upload = static_cast<Upload *>(user);
    const size_t left = size_t(upload->data->size() - upload->offset);
    const size_t n = std::min(left, size * count);
    std::memcpy(buffer, upload->data->constData() + upload->offset, n);
    upload->offset += qsizetype(n);
    return n;
}

bool refusal(const QString &reply)
{
    return reply.size() >= 3 && (reply.at(0) == u'4' || reply.at(0) == u'5')
        && reply.at(1).isDigit() && reply.at(2).isDigit();
}

// Keeps the SMTP server's last refusal: its reason (the QUIT that follows answers too).
int watchReplies(CURL *, curl_infotype type, char *data, size_t size, void *user)
{
    if (type == CURLINFO_HEADER_IN) {
        const QString line = QString::fromUtf8(data, qsizetype(size)).trimmed();
        if (refusal(line))
            *static_cast<QString *>(user) = line;
    }
    return 0;
}

struct Curl
{
    CURL *handle = curl_easy_init();
    curl_slist *recipients = nullptr;
    ~Curl()
    {
        curl_slist_free_all(recipients);
        curl_easy_cleanup(handle);
    }
};

} // namespace

SmtpOutcome sendSmtp(const MailSettings &settings, const QString &from,
                     const QStringList &recipients, const QByteArray &message)
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    SmtpOutcome outcome;
    Curl curl;
    if (!curl.handle) {
        outcome.unreachable = true;
        outcome.reason = u"libcurl"_s;
        return outcome;
    }
    const bool implicitTls = settings.security == MailSettings::Security::Tls;
    const QByteArray url = (implicitTls ? "smtps://" : "smtp://") + settings.server.toUtf8() + ':'
        + QByteArray::number(settings.port);
    const QByteArray mailFrom = '<' + from.toLatin1() + '>';
    for (const QString &r : recipients)
        curl.recipients
            = curl_slist_append(curl.recipients, ('<' + r.toLatin1() + '>').constData());
    Upload upload {&message};
    QString lastReply; // the last refusal
    char error[CURL_ERROR_SIZE] = {};
    const QByteArray user = settings.user.toUtf8();
    const QByteArray ca = settings.caFile.toUtf8();

    CURL *h = curl.handle;
    curl_easy_setopt(h, CURLOPT_URL, url.constData());
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_MAIL_FROM, mailFrom.constData());
    curl_easy_setopt(h, CURLOPT_MAIL_RCPT, curl.recipients);
    curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(h, CURLOPT_READFUNCTION, readUpload);
    curl_easy_setopt(h, CURLOPT_READDATA, &upload);
    curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, curl_off_t(message.size()));
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(h, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(h, CURLOPT_DEBUGFUNCTION, watchReplies);
    curl_easy_setopt(h, CURLOPT_DEBUGDATA, &lastReply);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, long(settings.timeoutMs));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, long(settings.timeoutMs));
    curl_easy_setopt(h, CURLOPT_USE_SSL,
                     settings.security == MailSettings::Security::None ? long(CURLUSESSL_NONE)
                                                                       : long(CURLUSESSL_ALL));
    if (!ca.isEmpty())
        curl_easy_setopt(h, CURLOPT_CAINFO, ca.constData());
    if (!user.isEmpty()) {
        curl_easy_setopt(h, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(h, CURLOPT_PASSWORD, settings.password.constData());
    }

    const CURLcode code = curl_easy_perform(h);
    if (code == CURLE_OK) {
        outcome.sent = true;
        return outcome;
    }
    const QString curlText = QString::fromUtf8(*error ? error : curl_easy_strerror(code));
    outcome.serverReply = !lastReply.isEmpty() && code != CURLE_OPERATION_TIMEDOUT;
    outcome.reason = outcome.serverReply ? lastReply : curlText;
    // A refused recipient or message concerns that message only; a refused login does not.
    outcome.unreachable = code == CURLE_LOGIN_DENIED
        || (!outcome.serverReply
            && (code == CURLE_COULDNT_CONNECT || code == CURLE_COULDNT_RESOLVE_HOST
                || code == CURLE_OPERATION_TIMEDOUT || code == CURLE_SSL_CONNECT_ERROR
                || code == CURLE_PEER_FAILED_VERIFICATION || code == CURLE_USE_SSL_FAILED
                || code == CURLE_SEND_ERROR || code == CURLE_RECV_ERROR
                || code == CURLE_GOT_NOTHING));
    return outcome;
}
