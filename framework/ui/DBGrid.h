#pragma once

#include "DataSetModel.h"

#include <QTableView>

#include <functional>

class QPainter;

// Cell state passed to OnDrawColumnCell.
enum TGridDrawState : int { gdSelected = 0x1, gdFocused = 0x2 };

// A data-aware grid over a data source. Row selection (dgRowSelect) or cell editing (dgEditing);
// typing in an editable cell puts the dataset in edit state; a read-only column, field or grid
// takes no input. Columns may offer a pick list or an ellipsis button. Clicking a title only
// raises OnTitleClick: the grid never sorts. Every handler runs through FrameworkGuard.
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
    // The column of the current cell; -1 when none.
    int SelectedIndex() const;
    void SetSelectedIndex(int column);

    using QTableView::edit;

    void SetRowSelect(bool rowSelect);
    bool RowSelect() const { return m_rowSelect; }
    void SetEditing(bool editing);
    bool Editing() const { return m_editing; }
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

private:
    void applyOptions();
    void applyWidths();
    void followDataSet(int row);

    TDataSetModel *m_model;
    bool m_rowSelect = false;
    bool m_editing = true;
    bool m_following = false;
};

// The display text of the current row in the column showing `fieldName`; empty when the grid has
// no such column or no current row.
QString GridText(const TDBGrid *grid, const QString &fieldName);
// The index of the column showing `fieldName`; -1 when none.
int IndiceCol(const TDBGrid *grid, const QString &fieldName);
