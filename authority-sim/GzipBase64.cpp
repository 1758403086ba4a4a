#include "GzipBase64.h"

#include <zlib.h>

namespace gzipbase64 {

std::optional<QByteArray> decodeBase64(const QByteArray &text)
{
    QByteArray compact;
    compact.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\n' && c != '\r' && c != '\t')
            compact.append(c);
    if (compact.isEmpty())
        return std::nullopt;
    auto result = QByteArray::fromBase64Encoding(compact, QByteArray::AbortOnBase64DecodingErrors);
    if (!result)
        return std::nullopt;
    return *result;
}

Inflate gunzip(const QByteArray &gz, qsizetype limit, QByteArray *out)
{
    out->clear();
    if (gz.size() < 18 || uchar(gz[0]) != 0x1f || uchar(gz[1]) != 0x8b)
        return Inflate::NotGzip;
    z_stream zs {};
    if (inflateInit2(&zs, 15 + 16) != Z_OK)
        return Inflate::NotGzip;
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(gz.constData()));
    zs.avail_in = uInt(gz.size());
    char chunk[16384];
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        zs.next_out = reinterpret_cast<Bytef *>(chunk);
        zs.avail_out = sizeof chunk;
        rc = inflate(&zs, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) {
            inflateEnd(&zs);
            return Inflate::NotGzip;
        }
        out->append(chunk, qsizetype(sizeof chunk - zs.avail_out));
        if (out->size() > limit) {
            inflateEnd(&zs);
            return Inflate::TooLarge;
        }
        if (rc == Z_OK && zs.avail_in == 0 && zs.avail_out != 0) {
            // Input ended before the stream did.
            inflateEnd(&zs);
            return Inflate::NotGzip;
        }
    }
    inflateEnd(&zs);
    return Inflate::Ok;
}

QByteArray gzip(const QByteArray &data)
{
    z_stream zs {};
    deflateInit2(&zs, Z_BEST_SPEED, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    QByteArray out;
    out.resize(qsizetype(deflateBound(&zs, uLong(data.size()))) + 32);
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    zs.avail_in = uInt(data.size());
    zs.next_out = reinterpret_cast<Bytef *>(out.data());
    zs.avail_out = uInt(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(qsizetype(zs.total_out));
    deflateEnd(&zs);
    return out;
}

} // namespace gzipbase64
