#pragma once

class TClientDataSet;

// The datasets the DACTE report derives from the server's sets: the cargo summary, the value
// component lines, the referenced documents in one list, that list three to a line and paged,
// and the page list. Each is (re)defined and filled here; the sources are read, not moved.
namespace dactereport {

inline constexpr int kDocumentosPorLinha = 3;
inline constexpr int kLinhasPorPagina = 11;

// Cargo summary (cdsDACTeInfQAux) from the quantity rows (cdsDACTeInfQ): one row per document.
void PreencheInfQAux(const TClientDataSet *infQ, TClientDataSet *infQAux);
// One "name - R$ value" line per value component (cdsDACTeComp -> cdsDACTeCompAux).
void PreencheCompAux(const TClientDataSet *comp, TClientDataSet *compAux);
// The paper and electronic invoices in one list (cdsDACTeInfDoc), each with the sender's
// registration (CNPJ, or CPF when the CNPJ is empty) formatted.
void PreencheInfDoc(const TClientDataSet *rem, const TClientDataSet *infNF,
                    const TClientDataSet *infNFe, TClientDataSet *infDoc);
// The list three to a line, lines tagged with their page, and the page list.
void PreencheInfDocAux(TClientDataSet *infDoc, TClientDataSet *infDocAux, TClientDataSet *paginas);

} // namespace dactereport
