#pragma once

#include <QList>
#include <QString>
#include <QVariant>

#include <utility>

class TClientDataSet;
class TfrmCTe;

// Appends one row as the server's data would arrive: the window's insert and post handlers and
// the fields' change watchers stay out of it.
void AppendAsServer(TClientDataSet *ds, const QList<std::pair<QString, QVariant>> &values);

// Opens the editor's record and child lists empty and fills them with three documents (pending,
// accepted, rejected) and a few child rows of the first, as a list load would; the first
// document is current.
void FillEditorSample(TfrmCTe *editor);
