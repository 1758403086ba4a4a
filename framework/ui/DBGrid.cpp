#include "DBGrid.h"

#include "ClientDataSet.h"
#include "DBGridDelegate.h"
#include "DataSource.h"
#include "Exceptions.h"

#include <QHeaderView>
#include <QKeyEvent>

using namespace Qt::StringLiterals;

TDBGrid::TDBGrid(QWidget *parent, const QString &name)
    : QTableView(parent)
    , m_model(new TDataSetModel(this))
{
    if (!name.isEmpty())
        setObjectName(name);
    setModel(m_model);
    setItemDelegate(new TDBGridDelegate(this));
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setFixedWidth(14);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        if (OnTitleClick)
            FrameworkGuard([&] { OnTitleClick(column); });
    });
    connect(m_model, &TDataSetModel::currentRowChanged, this,
            [this](int row) { followDataSet(row); });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { applyWidths(); });
    applyOptions();
}

void TDBGrid::SetDataSource(TDataSource *source)
{
    m_model->SetDataSource(source);
}

TDataSource *TDBGrid::DataSource() const
{
    return m_model->DataSource();
}

TClientDataSet *TDBGrid::DataSet() const
{
    return m_model->DataSet();
}

void TDBGrid::SetColumns(const QList<TColumn> &columns)
{
    m_model->SetColumns(columns);
}

int TDBGrid::SelectedIndex() const
{
    return currentIndex().isValid() ? currentIndex().column() : -1;
}

void TDBGrid::SetSelectedIndex(int column)
{
    const int row = currentIndex().isValid() ? currentIndex().row() : 0;
    setCurrentIndex(m_model->index(row, column));
}

void TDBGrid::SetRowSelect(bool rowSelect)
{
    m_rowSelect = rowSelect;
    applyOptions();
}

void TDBGrid::SetEditing(bool editing)
{
    m_editing = editing;
    applyOptions();
}

void TDBGrid::SetReadOnly(bool readOnly)
{
    m_model->SetReadOnly(readOnly);
}

void TDBGrid::applyOptions()
{
    setSelectionBehavior(m_rowSelect ? QAbstractItemView::SelectRows
                                     : QAbstractItemView::SelectItems);
    const bool canEdit = m_editing && !m_rowSelect;
    setEditTriggers(canEdit ? QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed
                            | QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked
                            : QAbstractItemView::NoEditTriggers);
    if (!canEdit && state() == QAbstractItemView::EditingState)
        closePersistentEditor(currentIndex());
}

void TDBGrid::applyWidths()
{
    const int charWidth = fontMetrics().averageCharWidth();
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const TColumn &column = m_model->Columns().at(c);
        int width = column.Width;
        if (width <= 0) {
            TField *f = m_model->FieldOf(c);
            width = f ? f->DisplayWidth() * charWidth + 8 : 64;
            width = qBound(24, width, 400);
        }
        setColumnWidth(c, width);
    }
}

void TDBGrid::followDataSet(int row)
{
    if (m_following)
        return;
    m_following = true;
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    if (row >= 0 && row < m_model->rowCount())
        setCurrentIndex(m_model->index(row, qMin(column, m_model->columnCount() - 1)));
    else
        setCurrentIndex({});
    m_following = false;
}

void TDBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_following)
        return;
    if (previous.isValid() && current.isValid() && previous.column() != current.column()
        && OnColExit) {
        const int column = previous.column();
        FrameworkGuard([&] { OnColExit(column); });
    }
    TClientDataSet *ds = DataSet();
    if (!ds || !ds->Active() || !current.isValid() || ds->CurrentRow() == current.row())
        return;
    const int row = current.row();
    if (!FrameworkGuard([&] { ds->SetRecNo(row + 1); })) {
        // The move was refused (the row being edited could not be posted): stay where it is.
        followDataSet(ds->CurrentRow());
    }
}

bool TDBGrid::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    const bool opens = index.isValid() && (m_model->flags(index) & Qt::ItemIsEditable)
        && (trigger == QAbstractItemView::AllEditTriggers || (editTriggers() & trigger));
    if (opens && state() != QAbstractItemView::EditingState) {
        TClientDataSet *ds = DataSet();
        // The first keystroke puts the row in edit state; a refused edit opens no editor.
        const bool ok = FrameworkGuard([&] {
            if (ds->CurrentRow() != index.row())
                ds->SetRecNo(index.row() + 1);
            if (!DataSource()->Edit())
                Abort();
        });
        if (!ok)
            return false;
    }
    return QTableView::edit(index, trigger, event);
}

void TDBGrid::keyPressEvent(QKeyEvent *event)
{
    if (OnKeyDown) {
        int key = event->key();
        FrameworkGuard([&] { OnKeyDown(key, event->modifiers()); });
        if (key == 0) {
            event->accept();
            return;
        }
    }
    if (OnKeyPress && !event->text().isEmpty()) {
        QChar ch = event->text().at(0);
        FrameworkGuard([&] { OnKeyPress(ch); });
        if (ch.isNull()) {
            event->accept();
            return;
        }
    }
    TClientDataSet *ds = DataSet();
    if (event->key() == Qt::Key_Escape && ds && state() != QAbstractItemView::EditingState
        && (ds->State() == dsEdit || ds->State() == dsInsert)) {
        FrameworkGuard([&] { ds->Cancel(); });
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void TDBGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (OnDblClick)
        FrameworkGuard([&] { OnDblClick(); });
}

QString GridText(const TDBGrid *grid, const QString &fieldName)
{
    const int column = IndiceCol(grid, fieldName);
    TClientDataSet *ds = grid->DataSet();
    if (column < 0 || !ds || ds->CurrentRow() < 0)
        return {};
    TField *field = grid->ColumnField(column);
    return field ? ds->DisplayTextAt(ds->CurrentRow(), field) : QString();
}

int IndiceCol(const TDBGrid *grid, const QString &fieldName)
{
    const QList<TColumn> &columns = grid->Columns();
    for (int i = 0; i < columns.size(); ++i) {
        if (columns.at(i).FieldName.compare(fieldName, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}
