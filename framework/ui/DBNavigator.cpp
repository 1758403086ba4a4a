#include "DBNavigator.h"

#include "ClientDataSet.h"
#include "DataSource.h"
#include "Exceptions.h"
#include "Messages.h"

#include <QHBoxLayout>
#include <QStyle>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {
struct ButtonInfo
{
    const char16_t *name;
    const char16_t *hintKey;
    QStyle::StandardPixmap icon;
};
const ButtonInfo kButtons[] = {
    {u"nbFirst", u"FW_NAV_PRIMEIRO", QStyle::SP_MediaSkipBackward},
    {u"nbPrior", u"FW_NAV_ANTERIOR", QStyle::SP_MediaSeekBackward},
    {u"nbNext", u"FW_NAV_PROXIMO", QStyle::SP_MediaSeekForward},
    {u"nbLast", u"FW_NAV_ULTIMO", QStyle::SP_MediaSkipForward},
    {u"nbInsert", u"FW_CMD_INCLUIR", QStyle::SP_FileIcon},
    {u"nbDelete", u"FW_CMD_EXCLUIR", QStyle::SP_TrashIcon},
    {u"nbEdit", u"FW_CMD_ALTERAR", QStyle::SP_FileDialogContentsView},
    {u"nbPost", u"FW_CMD_CONFIRMAR", QStyle::SP_DialogApplyButton},
    {u"nbCancel", u"FW_CMD_CANCELAR", QStyle::SP_DialogCancelButton},
    {u"nbRefresh", u"FW_NAV_ATUALIZAR", QStyle::SP_BrowserReload},
};
} // namespace

TDBNavigator::TDBNavigator(QWidget *parent, const QString &name)
    : QWidget(parent)
{
    setObjectName(name.isEmpty() ? u"dbnPadrao"_s : name);
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    int index = 0;
    for (const ButtonInfo &info : kButtons) {
        auto *b = new QToolButton(this);
        b->setObjectName(QString::fromUtf16(info.name));
        b->setToolTip(FwMsg(QString::fromUtf16(info.hintKey)));
        b->setIcon(style()->standardIcon(info.icon));
        b->setAutoRaise(true);
        const Button which = Button(index++);
        connect(b, &QToolButton::clicked, this, [this, which] { run(which); });
        layout->addWidget(b);
        m_buttons.append(b);
    }
    refreshButtons();
}

QToolButton *TDBNavigator::ButtonOf(Button button) const
{
    return m_buttons.at(int(button));
}

void TDBNavigator::SetVisibleButtons(const QList<Button> &buttons)
{
    for (int i = 0; i < m_buttons.size(); ++i)
        m_buttons.at(i)->setVisible(buttons.contains(Button(i)));
}

void TDBNavigator::SetDataSource(TDataSource *source)
{
    for (const auto &c : std::as_const(m_connections))
        disconnect(c);
    m_source = source;
    if (source) {
        m_connections = {
            connect(source, &TDataSource::StateChange, this, [this] { refreshButtons(); }),
            connect(source, &TDataSource::DataChange, this, [this] { refreshButtons(); }),
            connect(source, &QObject::destroyed, this,
                    [this] {
                        m_source = nullptr;
                        refreshButtons();
                    }),
        };
    }
    refreshButtons();
}

void TDBNavigator::run(Button button)
{
    TClientDataSet *ds = m_source ? m_source->DataSet() : nullptr;
    if (!ds)
        return;
    FrameworkGuard([&] {
        if (OnClick)
            OnClick(button);
        switch (button) {
        case nbFirst:
            ds->First();
            break;
        case nbPrior:
            ds->Prior();
            break;
        case nbNext:
            ds->Next();
            break;
        case nbLast:
            ds->Last();
            break;
        case nbInsert:
            ds->Insert();
            break;
        case nbDelete:
            if (ShowMsg(TMsgKind::Question, FwMsg(u"FW_PADRAO_EXCL"_s), mbYes | mbNo, mbNo)
                == mbYes)
                ds->Delete();
            break;
        case nbEdit:
            ds->Edit();
            break;
        case nbPost:
            ds->Post();
            break;
        case nbCancel:
            ds->Cancel();
            break;
        case nbRefresh:
            break;
        }
    });
    refreshButtons();
}

void TDBNavigator::refreshButtons()
{
    TClientDataSet *ds = m_source ? m_source->DataSet() : nullptr;
    const bool active = ds && ds->Active();
    const bool browsing = active && ds->State() == dsBrowse;
    const bool editing = active && (ds->State() == dsEdit || ds->State() == dsInsert);
    const bool empty = !active || ds->IsEmpty();
    const bool atFirst = empty || ds->RecNo() <= 1;
    const bool atLast = empty || ds->RecNo() >= ds->RecordCount();
    ButtonOf(nbFirst)->setEnabled(browsing && !atFirst);
    ButtonOf(nbPrior)->setEnabled(browsing && !atFirst);
    ButtonOf(nbNext)->setEnabled(browsing && !atLast);
    ButtonOf(nbLast)->setEnabled(browsing && !atLast);
    ButtonOf(nbInsert)->setEnabled(browsing);
    ButtonOf(nbDelete)->setEnabled(browsing && !empty);
    ButtonOf(nbEdit)->setEnabled(browsing && !empty);
    ButtonOf(nbPost)->setEnabled(editing);
    ButtonOf(nbCancel)->setEnabled(editing);
    ButtonOf(nbRefresh)->setEnabled(browsing);
}
