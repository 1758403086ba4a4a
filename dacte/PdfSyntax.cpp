#include "PdfSyntax.h"

#include <zlib.h>

#include <charconv>

namespace dacte::pdf {

void appendNumber(QByteArray &out, double v)
{
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 3);
    if (ec != std::errc()) {
        out.append('0');
        return;
    }
    char *last = end;
    while (last > buf && last[-1] == '0')
        --last;
    if (last > buf && last[-1] == '.')
        --last;
    // "-0" is still a number, but a wasteful one.
    if (last - buf == 2 && buf[0] == '-' && buf[1] == '0')
        out.append('0');
    else
        out.append(buf, last - buf);
}

QByteArray deflated(const QByteArray &data, int level)
{
    uLongf size = compressBound(uLong(data.size()));
    QByteArray out(qsizetype(size), Qt::Uninitialized);
    if (compress2(reinterpret_cast<Bytef *>(out.data()), &size,
                  reinterpret_cast<const Bytef *>(data.constData()), uLong(data.size()), level)
        != Z_OK)
        return {};
    out.truncate(qsizetype(size));
    return out;
}

void appendStream(QByteArray &out, int object, const QByteArray &dict, const QByteArray &deflated)
{
    out += QByteArray::number(object) + " 0 obj\n<<" + dict + " /Length "
        + QByteArray::number(deflated.size()) + " /Filter /FlateDecode >>\nstream\n";
    out += deflated;
    out += "\nendstream\nendobj\n";
}

} // namespace dacte::pdf
