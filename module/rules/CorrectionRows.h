#pragma once

#include "DataPacket.h"

#include <QList>
#include <QString>

// The rows of the correction dialog's grid, checked before the letter goes to the server, and
// the request of the voiding window.

struct TLinhaCorrecao
{
    QString grupo;
    QString campo;
    QString valor;
    QString item; // as typed; empty when the group does not repeat
};

// The first problem of the rows: a catalogue key of the correction dialog (empty when none), the
// row (from 0) and the group and field concerned.
struct TProblemaCorrecao
{
    QString key;
    int row = -1;
    QString grupo;
    QString campo;
};
TProblemaCorrecao VerificaCorrecoes(const QList<TLinhaCorrecao> &linhas);

// The packet of corrections of CartaCorrecaoCTe: DSGRUPO, DSCAMPO, DSVALOR, NRITEM.
contracts::DataPacket PacoteCorrecoes(const QList<TLinhaCorrecao> &linhas);

struct TPedidoInutilizacao
{
    QString empresa;
    QString inscricao;
    QString serie;
    QString inicial;
    QString final;
    QString motivo;
};

// The catalogue key of the voiding window's first problem with `pedido`, empty when none.
QString VerificaInutilizacao(const TPedidoInutilizacao &pedido);
