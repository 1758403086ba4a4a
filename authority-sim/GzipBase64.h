#pragma once

#include <QByteArray>

#include <optional>

// The reception service's data area: a gzip stream, Base64-encoded.
namespace gzipbase64 {

// Strict Base64 (white space between groups is tolerated, nothing else).
std::optional<QByteArray> decodeBase64(const QByteArray &text);

enum class Inflate { Ok, NotGzip, TooLarge };
// Inflates a gzip stream; stops with TooLarge as soon as the output passes `limit` bytes, so a
// small bomb cannot make the service allocate more than that.
Inflate gunzip(const QByteArray &gz, qsizetype limit, QByteArray *out);
QByteArray gzip(const QByteArray &data);

} // namespace gzipbase64
