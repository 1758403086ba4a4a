#pragma once

#include <QToolButton>

#include <functional>

class TDataSource;

// The look-up button beside an edit: a click asks OnBeforePesq (which may refuse by clearing
// AllowPesq, and usually reopens the list's query), shows Pesquisar over DataSource with Title
// ("title|empty-list text"), and when a row was picked runs OnAfterPesq with that row current.
class TBtnPesquisa : public QToolButton
{
    Q_OBJECT
public:
    explicit TBtnPesquisa(QWidget *parent = nullptr, const QString &name = {});

    TDataSource *DataSource = nullptr;
    QString Title;

    std::function<void(TBtnPesquisa *sender, bool &AllowPesq)> OnBeforePesq;
    std::function<void(TBtnPesquisa *sender)> OnAfterPesq;

    // What a click does; true when a row was picked.
    bool Execute();
};
