#include "DBGridDelegate.h"

#include "ClientDataSet.h"
#include "DBGrid.h"
#include "Exceptions.h"
#include "Messages.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QToolButton>

using namespace Qt::StringLiterals;

TDBGridDelegate::TDBGridDelegate(TDBGrid *grid)
    : QStyledItemDelegate(grid)
    , m_grid(grid)
{ }

void TDBGridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const
{
    if (m_grid->OnDrawColumnCell) {
        int state = 0;
        if (option.state & QStyle::State_Selected)
            state |= gdSelected;
        if (option.state & QStyle::State_HasFocus)
            state |= gdFocused;
        bool drawn = false;
        painter->save();
        // The canvas's brush is the cell's background, as the grid would paint it.
        painter->setBrush(option.state & QStyle::State_Selected
                              ? option.palette.brush(QPalette::Highlight)
                              : option.palette.brush(QPalette::Base));
        painter->setPen(Qt::NoPen);
        FrameworkGuard([&] {
            drawn
                = m_grid->OnDrawColumnCell(painter, option.rect, index.column(),
                                           m_grid->ColumnField(index.column()), index.row(), state);
        });
        painter->restore();
        if (drawn)
            return;
    }
    QStyledItemDelegate::paint(painter, option, index);
}

QWidget *TDBGridDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                       const QModelIndex &index) const
{
    const QList<TColumn> &columns = m_grid->Columns();
    if (index.column() < 0 || index.column() >= columns.size())
        return nullptr;
    const TColumn &column = columns.at(index.column());
    if (!column.PickList.isEmpty()) {
        // The values are offered; a text may be typed too, and the field decides what it takes.
        auto *combo = new QComboBox(parent);
        combo->setObjectName(u"edtPickList"_s);
        combo->addItems(column.PickList);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setCompleter(nullptr);
        return combo;
    }
    if (column.EllipsisButton) {
        auto *frame = new QWidget(parent);
        frame->setObjectName(u"edtEllipsis"_s);
        frame->setAutoFillBackground(true);
        auto *layout = new QHBoxLayout(frame);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        auto *edit = new QLineEdit(frame);
        edit->setObjectName(u"edtCelula"_s);
        auto *button = new QToolButton(frame);
        button->setObjectName(u"btnReticencias"_s);
        button->setText(u"..."_s);
        layout->addWidget(edit, 1);
        layout->addWidget(button);
        frame->setFocusProxy(edit);
        const int col = index.column();
        TDBGrid *grid = m_grid;
        connect(button, &QToolButton::clicked, grid, [grid, col] {
            if (grid->OnEditButtonClick)
                FrameworkGuard([&] { grid->OnEditButtonClick(col); });
        });
        return frame;
    }
    QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (editor)
        editor->setObjectName(u"edtCelula"_s);
    return editor;
}

void TDBGridDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    const QString text = index.data(Qt::EditRole).toString();
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        combo->setCurrentIndex(combo->findText(text));
        if (combo->isEditable()) {
            // Typing replaces the text, as in any other cell.
            combo->setEditText(text);
            combo->lineEdit()->selectAll();
        }
        return;
    }
    if (auto *edit = editor->findChild<QLineEdit *>(u"edtCelula"_s);
        edit && editor->objectName() == u"edtEllipsis") {
        edit->setText(text);
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void TDBGridDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                   const QModelIndex &index) const
{
    QVariant value;
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        value = combo->currentText();
    } else if (auto *edit = editor->findChild<QLineEdit *>(u"edtCelula"_s);
               edit && editor->objectName() == u"edtEllipsis") {
        value = edit->text();
    } else if (auto *line = qobject_cast<QLineEdit *>(editor)) {
        value = line->text();
    } else {
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    // Unchanged text is no change: the row is not put in edit state for it.
    if (value.toString() == index.data(Qt::EditRole).toString())
        return;
    if (!model->setData(index, value, Qt::EditRole)) {
        auto *dataModel = qobject_cast<TDataSetModel *>(model);
        if (dataModel && !dataModel->LastError().isEmpty())
            ShowMsg(TMsgKind::Error, dataModel->LastError());
    }
}
