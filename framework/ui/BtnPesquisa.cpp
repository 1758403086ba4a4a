#include "BtnPesquisa.h"

#include "Exceptions.h"
#include "Lookup.h"
#include "Messages.h"

#include <QStyle>

using namespace Qt::StringLiterals;

TBtnPesquisa::TBtnPesquisa(QWidget *parent, const QString &name)
    : QToolButton(parent)
{
    if (!name.isEmpty())
        setObjectName(name);
    setToolTip(FwMsg(u"FW_PESQUISAR"_s));
    setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    connect(this, &QToolButton::clicked, this, [this] { FrameworkGuard([this] { Execute(); }); });
}

bool TBtnPesquisa::Execute()
{
    bool allow = true;
    if (OnBeforePesq)
        OnBeforePesq(this, allow);
    if (!allow || !Pesquisar(DataSource, Title))
        return false;
    if (OnAfterPesq)
        OnAfterPesq(this);
    return true;
}
