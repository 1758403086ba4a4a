#pragma once

#include "DataSetTypes.h"

#include <QMap>
#include <QString>
#include <QStringList>

// What the editor's commands depend on at one moment: the state of dtsPadrao, whether cdsCTe is
// open and has rows, whether documents are marked, and the current document's status and access
// key (empty when there is no current document).
struct TEditorSituation
{
    TDataSetState state = dsInactive;
    bool open = false;
    bool empty = true;
    bool marked = false;
    QString status;
    QString accessKey;
};

// The commands the editor enables by situation, by component name: menu items (their tool
// buttons follow them) and the two pages of pgcPadrao.
const QStringList &EditorCommandNames();

// The enabled state of every name of EditorCommandNames() in `situation`.
QMap<QString, bool> EditorCommandStates(const TEditorSituation &situation);

// A key column of a section grid (CDCOMPVRPREST, NRACESSONFE) takes typing only on a new row or
// while its list is empty: a stored key is never retyped.
bool KeyColumnReadOnly(TDataSetState childState, bool childEmpty);
