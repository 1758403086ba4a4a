#include "ListMarking.h"

#include "ClientDataSet.h"
#include "DocumentStatus.h"

using namespace Qt::StringLiterals;

namespace {

// Detached for the life of the scope.
class DetachedHandlers
{
public:
    explicit DetachedHandlers(const TMarkHandlers &handlers)
        : m_handlers(handlers)
    {
        if (m_handlers.detach)
            m_handlers.detach();
    }
    ~DetachedHandlers()
    {
        if (m_handlers.reattach)
            m_handlers.reattach();
    }
    DetachedHandlers(const DetachedHandlers &) = delete;
    DetachedHandlers &operator=(const DetachedHandlers &) = delete;

private:
    const TMarkHandlers &m_handlers;
};

// A mark is stored in the row but never logged: it must not travel in the next save.
void setMark(TClientDataSet *cds, TField *check, const QString &value)
{
    const bool logged = cds->LogChanges();
    cds->SetLogChanges(false);
    try {
        cds->Edit();
        check->SetAsString(value);
        cds->Post();
    } catch (...) {
        cds->SetLogChanges(logged);
        throw;
    }
    cds->SetLogChanges(logged);
}

} // namespace

TMarkOutcome ToggleMark(TClientDataSet *cds, qint32 &count, const TMarkHandlers &handlers)
{
    DetachedHandlers detached(handlers);
    if (!cds->Active() || cds->IsEmpty() || cds->State() != dsBrowse)
        return TMarkOutcome::Ignored;
    TField *check = cds->FieldByName(u"IDCHECK"_s);
    if (check->AsString() == u"N"_s) {
        if (!StatusMarkable(cds->FieldByName(u"IDSTATUSCTE"_s)->AsString()))
            return TMarkOutcome::Ignored;
        if (count >= kSelecaoMax)
            return TMarkOutcome::LimitReached;
        setMark(cds, check, u"S"_s);
        ++count;
        return TMarkOutcome::Marked;
    }
    setMark(cds, check, u"N"_s);
    --count;
    return TMarkOutcome::Unmarked;
}

void ToggleAllMarks(TClientDataSet *cds, qint32 &count, const TMarkHandlers &handlers)
{
    DetachedHandlers detached(handlers);
    if (!cds->Active())
        return;
    try {
        ScopedDisableControls frozen(cds);
        TField *check = cds->FieldByName(u"IDCHECK"_s);
        TField *status = cds->FieldByName(u"IDSTATUSCTE"_s);
        cds->First();
        if (count <= 0) {
            while (!cds->Eof() && count != kSelecaoMax) {
                if (StatusMarkable(status->AsString()) && check->AsString() == u"N"_s) {
                    setMark(cds, check, u"S"_s);
                    ++count;
                }
                cds->Next();
            }
        } else {
            while (!cds->Eof()) {
                if (check->AsString() == u"S"_s)
                    setMark(cds, check, u"N"_s);
                cds->Next();
            }
            count = 0;
        }
    } catch (...) {
        if (cds->State() == dsBrowse)
            cds->First();
        throw;
    }
    cds->First();
}

contracts::DataPacket MarkedRowsPacket(const TClientDataSet *cds)
{
    contracts::DataPacket packet = cds->DataPacket();
    const int mark = packet.indexOf(u"IDCHECK"_s);
    packet.rows.removeIf([mark](const contracts::Row &row) {
        return mark < 0 || row.value(mark).toString() != u"S";
    });
    return packet;
}

qint32 CountMarked(TClientDataSet *cds)
{
    ScopedDisableControls semControles(cds);
    qint32 marcados = 0;
    try {
        cds->SetFiltered(false);
        cds->SetFilter(u"IDCHECK = 'S'"_s);
        cds->SetFiltered(true);
        marcados = cds->RecordCount();
    } catch (...) {
        cds->SetFiltered(false);
        throw;
    }
    cds->SetFiltered(false);
    return marcados;
}
