#include "DBGrid.h"

#include "ClientDataSet.h"
#include "DBGridDelegate.h"
#include "DataSource.h"
#include "Exceptions.h"
#include "Messages.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>

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
    linkSource();
}

void TDBGrid::linkSource()
{
    for (const auto &c : std::as_const(m_sourceConnections))
        disconnect(c);
    m_sourceConnections.clear();
    TDataSource *source = DataSource();
    if (!source)
        return;
    m_sourceConnections = {
        // A post takes the text still in the cell editor.
        connect(source, &TDataSource::UpdateData, this, [this] { commitEditor(); }),
        // A row posted or cancelled elsewhere leaves no editor with a stale text behind.
        connect(source, &TDataSource::StateChange, this,
                [this] {
                    if (DataSource()->State() != dsEdit && DataSource()->State() != dsInsert)
                        dropEditor();
                }),
    };
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
    if (currentIndex().isValid())
        return currentIndex().column();
    // Without rows the grid still has a selected column (where F9 or a first row goes).
    return m_column < m_model->columnCount() ? m_column : -1;
}

void TDBGrid::SetSelectedIndex(int column)
{
    if (column >= 0 && column < m_model->columnCount())
        m_column = column;
    const int row = currentIndex().isValid() ? currentIndex().row() : 0;
    if (row < m_model->rowCount())
        setCurrentIndex(m_model->index(row, column));
}

void TDBGrid::SetOptions(int options)
{
    m_options = options;
    applyOptions();
}

void TDBGrid::SetOption(TDBGridOption option, bool on)
{
    SetOptions(on ? m_options | option : m_options & ~option);
}

void TDBGrid::SetReadOnly(bool readOnly)
{
    m_model->SetReadOnly(readOnly);
}

void TDBGrid::applyOptions()
{
    setSelectionBehavior(RowSelect() ? QAbstractItemView::SelectRows
                                     : QAbstractItemView::SelectItems);
    const bool canEdit = Editing() && !RowSelect();
    setEditTriggers(canEdit ? QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed
                            | QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked
                            : QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(HasOption(dgTabs));
    if (!canEdit)
        dropEditor();
}

bool TDBGrid::canModify() const
{
    TClientDataSet *ds = DataSet();
    return Editing() && !RowSelect() && !ReadOnly() && ds && ds->Active() && DataSource();
}

QWidget *TDBGrid::openEditor() const
{
    if (state() != QAbstractItemView::EditingState || !currentIndex().isValid())
        return nullptr;
    return indexWidget(currentIndex());
}

void TDBGrid::commitEditor()
{
    if (QWidget *editor = openEditor())
        commitData(editor);
}

void TDBGrid::dropEditor()
{
    if (QWidget *editor = openEditor())
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
}

void TDBGrid::cancelRow()
{
    TClientDataSet *ds = DataSet();
    if (ds && ds->Active() && (ds->State() == dsEdit || ds->State() == dsInsert))
        FrameworkGuard([&] { ds->Cancel(); });
}

void TDBGrid::appendRow()
{
    TClientDataSet *ds = DataSet();
    // A new row nobody has typed in yet is not followed by another one.
    if (ds->State() == dsInsert && !ds->Modified())
        return;
    FrameworkGuard([&] { ds->Append(); });
}

void TDBGrid::deleteRow()
{
    TClientDataSet *ds = DataSet();
    if (ds->IsEmpty() && ds->State() != dsInsert)
        return;
    if (HasOption(dgConfirmDelete)
        && ShowMsg(TMsgKind::Question, FwMsg(u"FW_GRADE_EXCLUIR"_s), mbOK | mbCancel, mbCancel)
            != mbOK)
        return;
    FrameworkGuard([&] { ds->Delete(); });
}

void TDBGrid::moveColumn(bool forward)
{
    const int columns = m_model->columnCount();
    if (columns == 0)
        return;
    const QModelIndex at = currentIndex();
    const int row = at.isValid() ? at.row() : 0;
    const int column = at.isValid() ? at.column() : 0;
    if (forward && column + 1 < columns) {
        setCurrentIndex(m_model->index(row, column + 1));
    } else if (!forward && column > 0) {
        setCurrentIndex(m_model->index(row, column - 1));
    } else if (forward) {
        if (row + 1 < m_model->rowCount()) {
            setCurrentIndex(m_model->index(row + 1, 0));
        } else if (canModify() && HasOption(dgInsertRows)) {
            // Past the last cell: the column is left first, then a row follows.
            setCurrentIndex(m_model->index(row, 0));
            if (currentIndex().column() == 0)
                appendRow();
        }
    } else if (row > 0) {
        setCurrentIndex(m_model->index(row - 1, columns - 1));
    }
}

bool TDBGrid::gridKey(int key, Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers mods = modifiers & ~Qt::KeypadModifier;
    TClientDataSet *ds = DataSet();
    if (key == Qt::Key_Escape) {
        // Nothing being edited: Esc goes on to the window (a dialog closes).
        if (!ds || !ds->Active() || (ds->State() != dsEdit && ds->State() != dsInsert))
            return false;
        cancelRow();
        return true;
    }
    if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && HasOption(dgTabs)) {
        moveColumn(key == Qt::Key_Tab && !(mods & Qt::ShiftModifier));
        return true;
    }
    if (!canModify())
        return false;
    if (key == Qt::Key_Insert && mods == Qt::NoModifier && HasOption(dgInsertRows)) {
        FrameworkGuard([&] { ds->Insert(); });
        return true;
    }
    if (key == Qt::Key_Delete && mods == Qt::ControlModifier && HasOption(dgDeleteRows)) {
        deleteRow();
        return true;
    }
    if (key == Qt::Key_Down && mods == Qt::NoModifier && HasOption(dgInsertRows)) {
        const QModelIndex at = currentIndex();
        if (m_model->rowCount() == 0 || (at.isValid() && at.row() == m_model->rowCount() - 1)) {
            appendRow();
            return true;
        }
    }
    return false;
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
    // A reload or a new row keeps the column the user was in.
    const int column = currentIndex().isValid() ? currentIndex().column() : m_column;
    if (row >= 0 && row < m_model->rowCount())
        setCurrentIndex(m_model->index(row, qMin(column, m_model->columnCount() - 1)));
    else
        setCurrentIndex({});
    m_following = false;
}

void TDBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (current.isValid())
        m_column = current.column();
    if (m_following || m_restoring)
        return;
    if (previous.isValid() && current.isValid() && previous.column() != current.column()
        && OnColExit) {
        const int column = previous.column();
        if (!FrameworkGuard([&] { OnColExit(column); })) {
            // The column refused to be left: the cell stays where it was, on its row. A handler
            // that moved the cell itself keeps its choice.
            if (currentIndex() == current) {
                m_restoring = true;
                setCurrentIndex(previous);
                m_restoring = false;
            }
            return;
        }
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
    if (!QTableView::edit(index, trigger, event))
        return false;
    // The cell editor's keys pass by the grid first (OnKeyDown, navigation, Esc).
    if (QWidget *editor = indexWidget(index)) {
        QWidget *keys = editor->focusProxy() ? editor->focusProxy() : editor;
        keys->removeEventFilter(this);
        keys->installEventFilter(this);
    }
    return true;
}

bool TDBGrid::eventFilter(QObject *watched, QEvent *event)
{
    QWidget *editor = openEditor();
    if (event->type() != QEvent::KeyPress || !editor
        || (watched != editor && watched != editor->focusProxy()))
        return QTableView::eventFilter(watched, event);
    auto *keyEvent = static_cast<QKeyEvent *>(event);
    int key = keyEvent->key();
    const Qt::KeyboardModifiers mods = keyEvent->modifiers() & ~Qt::KeypadModifier;
    if (OnKeyDown) {
        FrameworkGuard([&] { OnKeyDown(key, keyEvent->modifiers()); });
        if (key == 0)
            return true;
    }
    const bool list = qobject_cast<QComboBox *>(editor) != nullptr;
    switch (key) {
    case Qt::Key_Escape: {
        // A changed cell goes back to its value; an unchanged one cancels the row's edit.
        auto *line = qobject_cast<QLineEdit *>(watched);
        if (auto *combo = qobject_cast<QComboBox *>(watched); combo && combo->isEditable())
            line = combo->lineEdit();
        const bool changed = line && line->text() != currentIndex().data(Qt::EditRole).toString();
        dropEditor();
        if (!changed)
            cancelRow();
        return true;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
        commitEditor();
        dropEditor();
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (!HasOption(dgTabs))
            return QTableView::eventFilter(watched, event);
        commitEditor();
        dropEditor();
        gridKey(key, mods);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (list || mods != Qt::NoModifier)
            return QTableView::eventFilter(watched, event);
        commitEditor();
        dropEditor();
        if (!gridKey(key, mods))
            QTableView::keyPressEvent(keyEvent);
        return true;
    case Qt::Key_Delete:
        if (mods != Qt::ControlModifier)
            return QTableView::eventFilter(watched, event);
        dropEditor();
        gridKey(key, mods);
        return true;
    default:
        break;
    }
    // A character typed in the cell editor passes by OnKeyPress, which may swallow or turn it.
    if (OnKeyPress && !m_turningKey && !keyEvent->text().isEmpty()) {
        QChar ch = keyEvent->text().at(0);
        FrameworkGuard([&] { OnKeyPress(ch); });
        if (ch.isNull())
            return true;
        if (ch != keyEvent->text().at(0)) {
            QKeyEvent turned(keyEvent->type(), keyEvent->key(), keyEvent->modifiers(), QString(ch),
                             keyEvent->isAutoRepeat(), ushort(keyEvent->count()));
            m_turningKey = true;
            QCoreApplication::sendEvent(watched, &turned);
            m_turningKey = false;
            return true;
        }
    }
    return QTableView::eventFilter(watched, event);
}

void TDBGrid::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    QWidget *keys = editor->focusProxy() ? editor->focusProxy() : editor;
    keys->removeEventFilter(this);
    QWidget *focus = QApplication::focusWidget();
    const bool hadFocus = focus && (editor == focus || editor->isAncestorOf(focus));
    QTableView::closeEditor(editor, hint);
    if (hadFocus)
        setFocus();
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
        if (ch != event->text().at(0)) {
            // The key as the handler turned it: it is what opens the cell editor and is typed.
            QKeyEvent turned(event->type(), event->key(), event->modifiers(), QString(ch),
                             event->isAutoRepeat(), ushort(event->count()));
            if (!gridKey(turned.key(), turned.modifiers()))
                QTableView::keyPressEvent(&turned);
            event->setAccepted(turned.isAccepted());
            return;
        }
    }
    if (gridKey(event->key(), event->modifiers())) {
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
