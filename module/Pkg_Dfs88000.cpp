// The package: its exported entry points call the factories of the units.
#include "Pkg_Dfs88000.h"

#include "Cli_Dfs88000.h"
#include "Cli_Dfs88100.h"
#include "Cli_Dfs88200.h"
#include "Cli_Dfs88300.h"
#include "Cli_Dfs88400.h"
#include "Cli_Dfs88500.h"
#include "Cli_Dfs88600.h"
#include "Cli_Dfs88700.h"
#include "Cli_Dfs88800.h"
#include "Cli_Dfs88900.h"

extern "C" {

void IniProc()
{
    Cli_Dfs88000::CriaCTe();
}

void CriaCTe()
{
    Cli_Dfs88000::CriaCTe();
}

bool CriaFiltroCTe()
{
    return Cli_Dfs88100::CriaFiltroCTe();
}

void CriaAtualizaLoteCTe()
{
    Cli_Dfs88200::CriaAtualizaLoteCTe();
}

void CriaDACTE(double CdCTe)
{
    Cli_Dfs88300::CriaDACTE(CdCTe);
}

QVariant CriaCancelaCTe()
{
    return Cli_Dfs88400::CriaCancelaCTe();
}

void CriaEnvioEmailCTe()
{
    Cli_Dfs88500::CriaEnvioEmailCTe();
}

void CriaDetalheRetorno()
{
    Cli_Dfs88600::CriaDetalheRetorno();
}

void CriaObservacao()
{
    Cli_Dfs88700::CriaObservacao();
}

QVariant CriaCartaCorrecaoCTe()
{
    return Cli_Dfs88800::CriaCartaCorrecaoCTe();
}

void CriaInutilizaCTe()
{
    Cli_Dfs88900::CriaInutilizaCTe();
}

} // extern "C"
