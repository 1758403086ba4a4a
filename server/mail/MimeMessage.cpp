#include "MimeMessage.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

bool isPrintableAscii(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    }
    return true;
}

QByteArray randomHex(int bytes)
{
    QByteArray raw(bytes, Qt::Uninitialized);
    for (char &c : raw)
        c = char(QRandomGenerator::system()->bounded(256));
    return raw.toHex();
}

// Base64 in lines of 76 characters.
QByteArray base64Lines(const QByteArray &data)
{
    const QByteArray text = data.toBase64();
    QByteArray out;
    out.reserve(text.size() + text.size() / 76 * 2 + 2);
    for (qsizetype i = 0; i < text.size(); i += 76)
        out += text.mid(i, 76) + "\r\n";
    return out;
}

QByteArray mailbox(const MailAddress &a)
{
    if (a.name.trimmed().isEmpty())
        return a.address.toLatin1();
    QByteArray name;
    if (isPrintableAscii(a.name)) {
        QString quoted = a.name;
        quoted.replace(u"\\"_s, u"\\\\"_s).replace(u"\""_s, u"\\\""_s);
        name = '"' + quoted.toLatin1() + '"';
    } else {
        name = encodedHeaderText(a.name);
    }
    return name + " <" + a.address.toLatin1() + '>';
}

// RFC 5322 date with the numeric offset, in English whatever the locale.
QByteArray rfc5322Date(const QDateTime &at)
{
    const int offset = at.offsetFromUtc() / 60;
    const QString zone = u"%1%2%3"_s.arg(QChar(offset < 0 ? u'-' : u'+'))
                             .arg(std::abs(offset) / 60, 2, 10, QChar(u'0'))
                             .arg(std::abs(offset) % 60, 2, 10, QChar(u'0'));
    return (QLocale::c().toString(at, u"ddd, dd MMM yyyy HH:mm:ss "_s) + zone).toLatin1();
}

} // namespace

bool isPlainAddress(const QString &address)
{
    static const QRegularExpression pattern(
        u"^[A-Za-z0-9.!#$%&'*+/=?^_`{|}~-]+@[A-Za-z0-9](?:[A-Za-z0-9.-]*[A-Za-z0-9])?$"_s);
    return address.size() <= 254 && pattern.match(address).hasMatch();
}

QByteArray encodedHeaderText(const QString &text)
{
    if (isPrintableAscii(text))
        return text.toLatin1();
    // Each encoded word carries whole characters: at most 45 bytes, 60 of Base64, under 76.
    QList<QByteArray> words;
    QByteArray chunk;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray bytes = text.mid(i, len).toUtf8();
        i += len - 1;
        if (chunk.size() + bytes.size() > 45) {
            words << "=?UTF-8?B?" + chunk.toBase64() + "?=";
            chunk.clear();
        }
        chunk += bytes;
    }
    if (!chunk.isEmpty())
        words << "=?UTF-8?B?" + chunk.toBase64() + "?=";
    return words.join("\r\n ");
}

QByteArray buildMimeMessage(const MailContent &content)
{
    QByteArray domain = content.from.address.section(u'@', 1).toLatin1();
    if (domain.isEmpty())
        domain = "localhost";
    const QByteArray boundary = "=_cte_" + randomHex(12);
    QList<QByteArray> to;
    for (const MailAddress &a : content.to)
        to << mailbox(a);

    QByteArray m;
    m += "Date: " + rfc5322Date(content.at) + "\r\n";
    m += "From: " + mailbox(content.from) + "\r\n";
    if (!content.replyTo.address.isEmpty())
        m += "Reply-To: " + mailbox(content.replyTo) + "\r\n";
    m += "To: " + to.join(",\r\n ") + "\r\n";
    m += "Subject: " + encodedHeaderText(content.subject) + "\r\n";
    m += "Message-ID: <" + randomHex(16) + '@' + domain + ">\r\n";
    m += "MIME-Version: 1.0\r\n";
    m += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n\r\n";
    m += "--" + boundary + "\r\n";
    m += "Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: base64\r\n\r\n";
    QString body = content.body;
    body.replace(u"\r\n"_s, u"\n"_s).replace(u'\n', u"\r\n"_s);
    m += base64Lines(body.toUtf8());
    for (const MailAttachment &a : content.attachments) {
        const QByteArray name = a.fileName.toLatin1();
        m += "--" + boundary + "\r\n";
        m += "Content-Type: " + a.contentType + "; name=\"" + name + "\"\r\n";
        m += "Content-Disposition: attachment; filename=\"" + name + "\"\r\n";
        m += "Content-Transfer-Encoding: base64\r\n\r\n";
        m += base64Lines(a.content);
    }
    m += "--" + boundary + "--\r\n";
    return m;
}
