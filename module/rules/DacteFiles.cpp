#include "DacteFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <quazip.h>
#include <quazipfile.h>
#include <quazipfileinfo.h>

using namespace Qt::StringLiterals;

namespace dactefiles {

namespace {

constexpr auto kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// A name that stays inside the unpack folder once joined to it.
bool safeEntryName(const QString &name)
{
    if (name.isEmpty() || name.startsWith(u'/') || name.contains(u'\\') || name.contains(QChar(0))
        || (name.size() > 1 && name.at(1) == u':'))
        return false;
    const QStringList parts = name.split(u'/');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString &p = parts.at(i);
        // A trailing "/" marks a folder; an empty part anywhere else is a doubled separator.
        if (p == u"." || p == u".." || (p.isEmpty() && i != parts.size() - 1))
            return false;
    }
    return true;
}

} // namespace

QString GeraNomeArquivo()
{
    static const QString chars
        = u"1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"_s;
    QString name = QDateTime::currentDateTime().toString(u"yyyyMMddhhmmsszzz"_s);
    for (int i = 0; i < 20; ++i)
        name += chars.at(QRandomGenerator::global()->bounded(int(chars.size())));
    return name;
}

QString DirTmpWin()
{
    QString dir = QDir::tempPath();
    if (!dir.endsWith(u'/'))
        dir += u'/';
    return dir;
}

QStringList ListarArquivos(const QString &stPath)
{
    QString folder = stPath;
    if (!folder.endsWith(u'/'))
        folder += u'/';
    QStringList files;
    const QStringList names
        = QDir(stPath).entryList({u"*.pdf*"_s}, QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QString &name : names)
        files << folder + name;
    return files;
}

bool writePrivateFile(const QString &path, const QByteArray &bytes)
{
    QFile::remove(path);
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly, kOwnerOnly)
        && file.write(bytes) == bytes.size() && file.flush();
}

bool makePrivateDir(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return true;
    return QDir().mkpath(info.absolutePath())
        && QDir().mkdir(path, kOwnerOnly | QFileDevice::ExeOwner);
}

UnpackFailure unpackArchive(const QString &zipPath, const QString &folder)
{
    QuaZip zip(zipPath);
    if (!zip.open(QuaZip::mdUnzip)) {
        // An archive without entries is only its end record, which the unzip code refuses.
        QFile file(zipPath);
        const bool empty = file.open(QIODevice::ReadOnly) && file.size() == 22
            && file.read(4) == QByteArray("PK\x05\x06", 4);
        return empty ? UnpackFailure {} : UnpackFailure {u"ARQUIVO_ZIP_INVALIDO"_s, {}};
    }
    const QList<QuaZipFileInfo64> entries = zip.getFileInfoList64();
    for (const QuaZipFileInfo64 &e : entries) {
        if (!safeEntryName(e.name) || e.isSymbolicLink())
            return {u"ARQUIVO_ENTRADA_RECUSADA"_s, e.name};
    }
    const QString root = QDir(folder).canonicalPath() + u'/';
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        const QString name = zip.getCurrentFileName();
        const QString target = QDir::cleanPath(root + name);
        if (!target.startsWith(root))
            return {u"ARQUIVO_ENTRADA_RECUSADA"_s, name};
        if (name.endsWith(u'/')) {
            if (!QDir().mkpath(target))
                return {u"ARQUIVO_GRAVACAO"_s, name};
            continue;
        }
        QuaZipFile entry(&zip);
        if (!entry.open(QIODevice::ReadOnly) || !QDir().mkpath(QFileInfo(target).absolutePath())
            || !writePrivateFile(target, entry.readAll()))
            return {u"ARQUIVO_GRAVACAO"_s, name};
    }
    return {};
}

} // namespace dactefiles
