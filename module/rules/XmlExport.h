#pragma once

#include <QByteArray>
#include <QString>

// The XML files of an export: the server names them and gives their text; they are written
// only inside the folder the user chose.
namespace xmlexport {

// The chosen folder with a separator at the end.
QString ComDiretorio(const QString &folder);

// A file name that names one file of the folder: not empty, no path separator (either kind),
// no drive, no NUL, not "." or "..", no "..".
bool NomeSeguro(const QString &name);

// The text parsed and given back with its declaration set to version "1.0" and encoding
// "UTF-8"; the rest of the document stays byte for byte (a signed document keeps its
// signature). Empty, with the line of the problem in `errorLine`, when the text is not
// well-formed XML or declares a document type.
QByteArray ComDeclaracao(const QString &xml, qint64 *errorLine);

// Writes `bytes` as `folder`/`name`, replacing a file of that name; false when `name` is not
// safe, the path would leave the folder, or the file cannot be written.
bool GravaArquivo(const QString &folder, const QString &name, const QByteArray &bytes);

} // namespace xmlexport
