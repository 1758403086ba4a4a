#pragma once

#include <QtGlobal>

#include <functional>

class TClientDataSet;
class TField;

// States of a client dataset. dsCalcFields is only seen by OnCalcFields handlers.
enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert, dsCalcFields };

// A data field holds stored values; a calculated one is filled by OnCalcFields and never stored.
enum class TFieldKind { fkData, fkCalculated };

enum class TAlignment { taLeftJustify, taCenter, taRightJustify };

// Options of TClientDataSet::Locate, combinable.
enum TLocateOption : int { loCaseInsensitive = 0x1, loPartialKey = 0x2 };

// Identifies a row for as long as it exists; 0 is no row.
using TBookmark = quint64;

// Handlers are plain std::function members: assign nullptr to detach, the old value to re-attach.
// The dataset calls them directly, so an exception they throw reaches the running operation.
using TDataSetNotifyEvent = std::function<void(TClientDataSet *dataSet)>;
using TFieldNotifyEvent = std::function<void(TField *sender)>;
using TFieldGetTextEvent = std::function<void(TField *sender, QString &text, bool displayText)>;
using TFieldSetTextEvent = std::function<void(TField *sender, const QString &text)>;
