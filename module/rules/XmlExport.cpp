#include "XmlExport.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamReader>

using namespace Qt::StringLiterals;

namespace xmlexport {

QString ComDiretorio(const QString &folder)
{
    return folder.endsWith(u'/') || folder.endsWith(QDir::separator()) ? folder : folder + u'/';
}

bool NomeSeguro(const QString &name)
{
    return !name.isEmpty() && !name.contains(u'/') && !name.contains(u'\\')
        && !name.contains(QChar(0)) && !name.contains(u':') && !name.contains(u".."_s)
        && name != u"." && !QDir::isAbsolutePath(name);
}

QByteArray ComDeclaracao(const QString &xml, qint64 *errorLine)
{
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::DTD) {
            *errorLine = reader.lineNumber();
            return {};
        }
    }
    if (reader.hasError()) {
        *errorLine = reader.lineNumber();
        return {};
    }
    QString body = xml;
    if (body.startsWith(QChar(0xfeff)))
        body.remove(0, 1);
    if (body.startsWith(u"<?xml"_s))
        body.remove(0, body.indexOf(u"?>"_s) + 2);
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + body.toUtf8();
}

bool GravaArquivo(const QString &folder, const QString &name, const QByteArray &bytes)
{
    if (!NomeSeguro(name))
        return false;
    const QString root = QDir(folder).absolutePath();
    const QString path = QDir::cleanPath(root + u'/' + name);
    if (QFileInfo(path).absolutePath() != QDir::cleanPath(root))
        return false;
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

} // namespace xmlexport
