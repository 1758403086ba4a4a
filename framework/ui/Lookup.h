#pragma once

#include <QString>

class TDataSource;

// The look-up dialogs over a data source's dataset. `titleAndEmpty` is "title|empty-list text":
// the dialog's title, and the text shown instead of the dialog when the list has no rows.

// Single choice (dialog "dlgPesquisa", grid "dbgPesquisa", search edit "edtPesquisa", buttons
// "btnOK" and "btnCancelar"). Typing searches the column whose title was clicked last (the first
// by default) from its beginning, ignoring case. True when the user picked a row, which is then
// the dataset's current row; false (current row unchanged) when cancelled or empty.
bool Pesquisar(TDataSource *source, const QString &titleAndEmpty);

// Multiple choice (dialog "dlgPesquisaLista", table "tbwLista" whose first column ticks a row,
// buttons "btnMarcarTodos", "btnDesmarcarTodos", "btnOK", "btnCancelar"). `list` comes in and goes
// out as a selection-list text of the rows' `keyField` values ('A','B'), in the order ticked;
// rows already in `list` start ticked. With `mandatory`, confirming with nothing ticked is
// refused. True when confirmed (`list` replaced); false when cancelled or empty (`list` kept).
bool PesquisaLista(TDataSource *source, const QString &keyField, const QString &titleAndEmpty,
                   bool mandatory, QString &list);
