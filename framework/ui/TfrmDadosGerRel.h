#pragma once

#include "TfrmRotiGeral.h"

class TReportDesigner;

// The report window: a routine window whose Confirmar runs the report of rpddPadrao's code.
class TfrmDadosGerRel : public TfrmRotiGeral
{
    Q_OBJECT
public:
    explicit TfrmDadosGerRel(QWidget *parent = nullptr);

    TReportDesigner *rpddPadrao = nullptr;

protected:
    void sbtConfirmaClick() override;
};
