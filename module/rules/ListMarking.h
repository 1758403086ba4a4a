#pragma once

#include "DataPacket.h"

#include <QtGlobal>

#include <functional>

class TClientDataSet;

// Marking documents of the list (IDCHECK "S"/"N") for the batch actions. A mark is a local value
// of cdsCTe that must be neither validated nor saved: it is stored outside the change log, and
// the window hands in how to detach its before-post and after-post handlers and its state-change
// handler, which these functions detach for the duration of the marking and re-attach however it
// ends.

inline constexpr qint32 kSelecaoMax = 50;

struct TMarkHandlers
{
    std::function<void()> detach;
    std::function<void()> reattach;
};

enum class TMarkOutcome {
    Marked,
    Unmarked,
    Ignored, // not browsing, empty list, or a document that cannot be marked
    LimitReached // kSelecaoMax documents are marked already; nothing changed
};

// Toggles the mark of the current row of `cds` and keeps `count` (the number of marks set since
// the last load). Only pending, rejected and transmitted documents are marked; any row not on "N"
// counts as marked and is unmarked. Errors of the dataset (a before-edit refusal) pass on.
TMarkOutcome ToggleMark(TClientDataSet *cds, qint32 &count, const TMarkHandlers &handlers);

// With no mark set, marks the first kSelecaoMax eligible rows in list order; otherwise clears
// every mark and sets `count` to 0. The grid's display is held back meanwhile and the cursor ends
// on the first row.
void ToggleAllMarks(TClientDataSet *cds, qint32 &count, const TMarkHandlers &handlers);

// The list's packet with its marked rows only (IDCHECK "S"): what a batch action sends, whatever
// the size of the list.
contracts::DataPacket MarkedRowsPacket(const TClientDataSet *cds);

// The number of rows marked "S", counted through the filter IDCHECK = 'S' with the controls held
// back; the filter is off again afterwards, however the count ends.
qint32 CountMarked(TClientDataSet *cds);
