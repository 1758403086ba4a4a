#pragma once

#include "DataSetModel.h"

#include <QTableView>

#include <functional>

class QPainter;

// Cell state passed to OnDrawColumnCell.
enum TGridDrawState : int { gdSelected = 0x1, gdFocused = 0x2 };

// Options of a data-aware grid, combinable.
enum TDBGridOption : int {
    dgEditing = 0x01, // cells can be edited, rows inserted and deleted from the keyboard
    dgRowSelect = 0x02, // the whole row is selected; no cell editing
    dgTabs = 0x04, // Tab and Shift+Tab move between columns instead of leaving the grid
    dgConfirmDelete = 0x08, // Ctrl+Delete asks before deleting the row
    dgInsertRows = 0x10, // Insert, and moving down past the last row, add a row
    dgDeleteRows = 0x20, // Ctrl+Delete deletes the current row
};
inline constexpr int dgDefaultOptions
    = dgEditing | dgTabs | dgConfirmDelete | dgInsertRows | dgDeleteRows;

// A data-aware grid over a data source. Row selection (dgRowSelect) or cell editing (dgEditing);
// a read-only column, field or grid takes no input. Columns may offer a pick list or an ellipsis
// button (OnEditButtonClick opens the column's look-up). Clicking a title only raises
// OnTitleClick: the grid never sorts. Every handler runs through FrameworkGuard.
//
// Keys while editing is allowed: typing or F2 edits the cell (the row enters edit state); Enter
// keeps the cell's text; Esc reverts a changed cell, or cancels the row's edit when the cell is
// unchanged or no cell editor is open; Tab and Shift+Tab leave the column (OnColExit; an error
// there keeps the cell where it was), wrapping to the next row and appending past the last one;
// Insert inserts a row before the current one; Down on the last row appends one (not while a new
// row is still untouched); Ctrl+Delete deletes the current row after the question of
// dgConfirmDelete. OnKeyDown sees every key first, also those typed in a cell editor, and can
// swallow any of them; OnKeyPress then sees the characters, also those typed in a cell editor,
// and can swallow or replace them.
class TDBGrid : public QTableView
{
    Q_OBJECT
public:
    explicit TDBGrid(QWidget *parent = nullptr, const QString &name = {});

    void SetDataSource(TDataSource *source);
    TDataSource *DataSource() const;
    TClientDataSet *DataSet() const;
    TDataSetModel *DataModel() const { return m_model; }

    void SetColumns(const QList<TColumn> &columns);
    const QList<TColumn> &Columns() const { return m_model->Columns(); }
    TField *ColumnField(int column) const { return m_model->FieldOf(column); }
    // The column of the current cell, or of the last one when the grid has no rows; -1 when the
    // grid has no columns.
    int SelectedIndex() const;
    void SetSelectedIndex(int column);

    using QTableView::edit;

    void SetOptions(int options);
    int Options() const { return m_options; }
    void SetOption(TDBGridOption option, bool on);
    bool HasOption(TDBGridOption option) const { return (m_options & option) != 0; }
    void SetRowSelect(bool rowSelect) { SetOption(dgRowSelect, rowSelect); }
    bool RowSelect() const { return HasOption(dgRowSelect); }
    void SetEditing(bool editing) { SetOption(dgEditing, editing); }
    bool Editing() const { return HasOption(dgEditing); }
    void SetReadOnly(bool readOnly);
    bool ReadOnly() const { return m_model->ReadOnly(); }

    // Handlers. OnDrawColumnCell draws the cell itself when set and returns true; returning false
    // lets the grid draw it. OnKeyDown may clear `key` (0) to swallow it; OnKeyPress likewise with
    // a null character.
    std::function<bool(QPainter *painter, const QRect &rect, int column, TField *field, int row,
                       int state)>
        OnDrawColumnCell;
    std::function<void(int column)> OnTitleClick;
    std::function<void(int column)> OnColExit;
    std::function<void(int &key, Qt::KeyboardModifiers modifiers)> OnKeyDown;
    std::function<void(QChar &key)> OnKeyPress;
    std::function<void()> OnDblClick;
    std::function<void(int column)> OnEditButtonClick;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void applyOptions();
    void applyWidths();
    void followDataSet(int row);
    void linkSource();
    // True when the key was one of the grid's own and is done with.
    bool gridKey(int key, Qt::KeyboardModifiers modifiers);
    bool canModify() const;
    void moveColumn(bool forward);
    void appendRow();
    void deleteRow();
    void cancelRow();
    QWidget *openEditor() const;
    void commitEditor();
    void dropEditor();

    TDataSetModel *m_model;
    int m_options = dgDefaultOptions;
    bool m_following = false;
    bool m_restoring = false;
    bool m_turningKey = false; // a key turned by OnKeyPress is being typed in the cell editor
    int m_column = 0; // the column of the last current cell
    QList<QMetaObject::Connection> m_sourceConnections;
};

// The display text of the current row in the column showing `fieldName`; empty when the grid has
// no such column or no current row.
QString GridText(const TDBGrid *grid, const QString &fieldName);
// The index of the column showing `fieldName`; -1 when none.
int IndiceCol(const TDBGrid *grid, const QString &fieldName);
