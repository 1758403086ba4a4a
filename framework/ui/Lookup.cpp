#include "Lookup.h"

#include "ClientDataSet.h"
#include "DBGrid.h"
#include "DataSource.h"
#include "Exceptions.h"
#include "HostWindow.h"
#include "Messages.h"
#include "Screen.h"
#include "SelectionList.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QWidget *dialogParent()
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget *active = QApplication::activeWindow())
        return active;
    return HostMainWindow();
}

struct TitleAndEmpty
{
    QString title;
    QString empty;
};

TitleAndEmpty splitTitle(const QString &text)
{
    const qsizetype bar = text.indexOf(u'|');
    TitleAndEmpty t {bar < 0 ? text : text.left(bar), bar < 0 ? QString() : text.mid(bar + 1)};
    if (t.empty.isEmpty())
        t.empty = FwMsg(u"FW_PESQUISA_VAZIA"_s);
    return t;
}

// False (after telling the user) when there is nothing to choose from.
bool hasRows(TClientDataSet *ds, const TitleAndEmpty &t)
{
    if (ds && ds->Active() && !ds->IsEmpty())
        return true;
    ShowMsg(TMsgKind::Information, t.empty);
    return false;
}

QDialogButtonBox *okCancel(QDialog *dialog)
{
    auto *buttons = new QDialogButtonBox(dialog);
    QPushButton *ok = buttons->addButton(FwMsg(u"FW_BOTAO_OK"_s), QDialogButtonBox::AcceptRole);
    ok->setObjectName(u"btnOK"_s);
    ok->setDefault(true);
    QPushButton *cancel
        = buttons->addButton(FwMsg(u"FW_BOTAO_CANCELAR"_s), QDialogButtonBox::RejectRole);
    cancel->setObjectName(u"btnCancelar"_s);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

// Arrow keys in the search edit move the grid's row.
class SearchKeys : public QObject
{
public:
    SearchKeys(QLineEdit *edit, TDBGrid *grid)
        : QObject(edit)
        , m_grid(grid)
    {
        edit->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        TClientDataSet *ds = m_grid->DataSet();
        if (!ds)
            return false;
        if (key->key() == Qt::Key_Down) {
            FrameworkGuard([&] { ds->Next(); });
            return true;
        }
        if (key->key() == Qt::Key_Up) {
            FrameworkGuard([&] { ds->Prior(); });
            return true;
        }
        return false;
    }

private:
    TDBGrid *m_grid;
};

} // namespace

bool Pesquisar(TDataSource *source, const QString &titleAndEmpty)
{
    const TitleAndEmpty t = splitTitle(titleAndEmpty);
    TClientDataSet *ds = source ? source->DataSet() : nullptr;
    if (!hasRows(ds, t))
        return false;
    const TBookmark start = ds->GetBookmark();

    QDialog dialog(dialogParent());
    dialog.setObjectName(u"dlgPesquisa"_s);
    dialog.setWindowTitle(t.title);
    auto *search = new QLineEdit(&dialog);
    search->setObjectName(u"edtPesquisa"_s);
    search->setPlaceholderText(FwMsg(u"FW_PESQUISA_DIGITE"_s));
    auto *grid = new TDBGrid(&dialog, u"dbgPesquisa"_s);
    grid->SetDataSource(source);
    grid->SetRowSelect(true);
    grid->SetEditing(false);
    grid->SetReadOnly(true);
    int searchColumn = 0;
    grid->OnTitleClick = [&](int column) {
        searchColumn = column;
        search->setFocus();
        search->selectAll();
    };
    grid->OnDblClick = [&] {
        dialog.accept();
    };
    grid->OnKeyDown = [&](int &key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            key = 0;
            dialog.accept();
        }
    };
    QObject::connect(search, &QLineEdit::textEdited, &dialog, [&](const QString &text) {
        TField *f = grid->ColumnField(searchColumn);
        if (!f || text.isEmpty())
            return;
        FrameworkGuard([&] { ds->Locate(f->FieldName(), text, loCaseInsensitive | loPartialKey); });
    });
    QObject::connect(search, &QLineEdit::returnPressed, &dialog, &QDialog::accept);
    new SearchKeys(search, grid);

    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(search);
    layout->addWidget(grid, 1);
    layout->addWidget(okCancel(&dialog));
    dialog.resize(640, 420);
    search->setFocus();

    const bool picked = Screen::ShowModal(&dialog) == QDialog::Accepted && !ds->IsEmpty();
    grid->SetDataSource(nullptr);
    if (!picked && ds->BookmarkValid(start))
        FrameworkGuard([&] { ds->GotoBookmark(start); });
    return picked;
}

bool PesquisaLista(TDataSource *source, const QString &keyField, const QString &titleAndEmpty,
                   bool mandatory, QString &list)
{
    const TitleAndEmpty t = splitTitle(titleAndEmpty);
    TClientDataSet *ds = source ? source->DataSet() : nullptr;
    if (!hasRows(ds, t))
        return false;
    TField *key = ds->FieldByName(keyField);

    QList<TField *> shown;
    for (TField *f : ds->Fields()) {
        if (f->Visible())
            shown.append(f);
    }

    QDialog dialog(dialogParent());
    dialog.setObjectName(u"dlgPesquisaLista"_s);
    dialog.setWindowTitle(t.title);
    auto *table = new QTableWidget(ds->RecordCount(), int(shown.size()) + 1, &dialog);
    table->setObjectName(u"tbwLista"_s);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    QStringList headers {QString()};
    for (TField *f : std::as_const(shown))
        headers.append(f->DisplayLabel());
    table->setHorizontalHeaderLabels(headers);

    QStringList chosen = contracts::splitSelectionList(list);
    QStringList keys;
    for (int row = 0; row < ds->RecordCount(); ++row) {
        const QString k = ds->TextAt(row, key);
        keys.append(k);
        auto *tick = new QTableWidgetItem;
        tick->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        tick->setCheckState(chosen.contains(k) ? Qt::Checked : Qt::Unchecked);
        table->setItem(row, 0, tick);
        for (int c = 0; c < shown.size(); ++c) {
            auto *item = new QTableWidgetItem(ds->DisplayTextAt(row, shown.at(c)));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            table->setItem(row, c + 1, item);
        }
    }
    // Keys no longer in the list are dropped; the order of ticking is kept.
    chosen.removeIf([&](const QString &k) { return !keys.contains(k); });
    table->resizeColumnsToContents();

    QObject::connect(table, &QTableWidget::itemChanged, &dialog, [&](QTableWidgetItem *item) {
        if (item->column() != 0)
            return;
        const QString k = keys.at(item->row());
        if (item->checkState() == Qt::Checked && !chosen.contains(k))
            chosen.append(k);
        else if (item->checkState() != Qt::Checked)
            chosen.removeAll(k);
    });
    QObject::connect(table, &QTableWidget::cellDoubleClicked, &dialog, [&](int row, int) {
        QTableWidgetItem *tick = table->item(row, 0);
        tick->setCheckState(tick->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    });

    auto setAll = [&](bool on) {
        for (int row = 0; row < table->rowCount(); ++row)
            table->item(row, 0)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    };
    auto *markAll = new QPushButton(FwMsg(u"FW_PESQUISA_MARCAR_TODOS"_s), &dialog);
    markAll->setObjectName(u"btnMarcarTodos"_s);
    QObject::connect(markAll, &QPushButton::clicked, &dialog, [&] { setAll(true); });
    auto *clearAll = new QPushButton(FwMsg(u"FW_PESQUISA_DESMARCAR_TODOS"_s), &dialog);
    clearAll->setObjectName(u"btnDesmarcarTodos"_s);
    QObject::connect(clearAll, &QPushButton::clicked, &dialog, [&] { setAll(false); });

    auto *buttons = okCancel(&dialog);
    QObject::disconnect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        if (mandatory && chosen.isEmpty()) {
            ShowMsg(TMsgKind::Warning, FwMsg(u"FW_PESQUISA_MARQUE_UM"_s));
            return;
        }
        dialog.accept();
    });

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(markAll);
    bottom->addWidget(clearAll);
    bottom->addStretch(1);
    bottom->addWidget(buttons);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(table, 1);
    layout->addLayout(bottom);
    dialog.resize(640, 420);

    if (Screen::ShowModal(&dialog) != QDialog::Accepted)
        return false;
    list = contracts::joinSelectionList(chosen);
    return true;
}
