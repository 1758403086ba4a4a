#pragma once

#include <QVariant>

// The package's exported entry points, resolved by name by the host (QLibrary::resolve).
#if defined(PKG_DFS88000_BUILD)
#define PKG_DFS88000_EXPORT __attribute__((visibility("default")))
#else
#define PKG_DFS88000_EXPORT
#endif

extern "C" {
// Opens the CT-e editor (creates it on first use).
PKG_DFS88000_EXPORT void IniProc();
PKG_DFS88000_EXPORT void CriaCTe();
PKG_DFS88000_EXPORT bool CriaFiltroCTe();
PKG_DFS88000_EXPORT void CriaAtualizaLoteCTe();
PKG_DFS88000_EXPORT void CriaDACTE(double CdCTe);
// A QVariant holding a two-element QVariantList: confirmed (bool), justification (QString).
PKG_DFS88000_EXPORT QVariant CriaCancelaCTe();
PKG_DFS88000_EXPORT void CriaEnvioEmailCTe();
PKG_DFS88000_EXPORT void CriaDetalheRetorno();
PKG_DFS88000_EXPORT void CriaObservacao();
// A QVariant holding a two-element QVariantList: confirmed (bool), corrections (data packet).
PKG_DFS88000_EXPORT QVariant CriaCartaCorrecaoCTe();
PKG_DFS88000_EXPORT void CriaInutilizaCTe();
}
