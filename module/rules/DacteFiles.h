#pragma once

#include <QString>
#include <QStringList>

// The files of a DACTE request: the generated names, the private temporary folder, the archive
// received from the server unpacked safely, and the PDFs taken from it.
namespace dactefiles {

// Date and time now as "yyyyMMddhhmmsszzz" and 20 characters drawn from digits and letters.
QString GeraNomeArquivo();
// The temporary folder, with a separator at the end.
QString DirTmpWin();
// The files of `stPath` (not of its subfolders) whose name matches "*.pdf*", as full names.
QStringList ListarArquivos(const QString &stPath);

// Writes `bytes` to `path` (replacing it) readable and writable by the owner only; false on
// failure.
bool writePrivateFile(const QString &path, const QByteArray &bytes);
// Creates `path` and its missing parents, the last one open to the owner only.
bool makePrivateDir(const QString &path);

// Why an archive was not unpacked: a catalogue key of the editor and the entry concerned.
struct UnpackFailure
{
    QString key; // empty when the archive was unpacked
    QString entry;
};
// Unpacks the archive `zipPath` into `folder`. An entry named absolute, with "." or "..",
// a drive, a backslash or NUL, or stored as a link, refuses the whole archive before anything is
// written; every file written lies inside `folder`.
UnpackFailure unpackArchive(const QString &zipPath, const QString &folder);

} // namespace dactefiles
