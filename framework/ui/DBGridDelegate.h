#pragma once

#include <QStyledItemDelegate>

class TDBGrid;

// Draws cells through the grid's OnDrawColumnCell and gives editing cells their editor: a line
// edit, a drop-down of the column's pick list, or a line edit with an ellipsis button.
class TDBGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit TDBGridDelegate(TDBGrid *grid);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;

private:
    TDBGrid *m_grid;
};
