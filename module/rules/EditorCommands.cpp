#include "EditorCommands.h"

using namespace Qt::StringLiterals;

const QStringList &EditorCommandNames()
{
    static const QStringList names {
        u"mnuIncluir"_s,
        u"mnuAlterar"_s,
        u"mnuExcluir"_s,
        u"mnuProcurar"_s,
        u"mnuVerificar"_s,
        u"mnuCancelar"_s,
        u"mnuConfirmar"_s,
        u"mnuTransCTe"_s,
        u"mnuAtualizaLoteCTe"_s,
        u"mnuCancelaCTe"_s,
        u"mnuCartaCorrecaoCTe"_s,
        u"mnuEnviaEmailCTe"_s,
        u"mnuEnviaEmailCTeSeleMenu"_s,
        u"mnuEnviaEmailCTeSeleBotao"_s,
        u"mnuImprimir"_s,
        u"tshFolhaDados"_s,
        u"mnuListagem"_s,
        u"tshFormulario"_s,
        u"mnuFormulario"_s,
    };
    return names;
}

QMap<QString, bool> EditorCommandStates(const TEditorSituation &s)
{
    const bool browsing = s.state == dsBrowse;
    const bool editing = s.state == dsEdit || s.state == dsInsert;
    const bool ready = browsing && !s.empty && !s.marked;
    const QChar first = s.status.isEmpty() ? QChar() : s.status.at(0);
    const bool changeable = first == u'P' || first == u'R';
    const bool accepted = s.status == u"A"_s;

    QMap<QString, bool> on;
    on[u"mnuIncluir"_s] = browsing && !s.marked;
    on[u"mnuAlterar"_s] = ready && changeable;
    on[u"mnuExcluir"_s] = ready && changeable;
    on[u"mnuProcurar"_s] = ready;
    on[u"mnuVerificar"_s] = browsing && !s.empty;
    on[u"mnuCancelar"_s] = editing;
    on[u"mnuConfirmar"_s] = editing;
    on[u"mnuTransCTe"_s] = !editing && !s.empty && s.open && s.marked;
    on[u"mnuAtualizaLoteCTe"_s] = !s.accessKey.isEmpty();
    on[u"mnuCancelaCTe"_s] = ready && accepted;
    on[u"mnuCartaCorrecaoCTe"_s] = ready && accepted;
    on[u"mnuEnviaEmailCTe"_s] = browsing && !s.empty && s.open && !s.marked;
    on[u"mnuEnviaEmailCTeSeleMenu"_s] = browsing && accepted;
    on[u"mnuEnviaEmailCTeSeleBotao"_s] = browsing && accepted;
    on[u"mnuImprimir"_s] = ready && accepted;
    on[u"tshFolhaDados"_s] = !editing;
    on[u"mnuListagem"_s] = !editing;
    on[u"tshFormulario"_s] = !s.empty && !s.marked;
    on[u"mnuFormulario"_s] = !s.empty && !s.marked;
    return on;
}

bool KeyColumnReadOnly(TDataSetState childState, bool childEmpty)
{
    return !(childState == dsInsert || childEmpty);
}
