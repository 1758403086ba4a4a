#pragma once

class QWidget;

// The tag and colour convention of the windows: a control the user types into carries tag 1 and
// the tooltip-base background; a control the system fills carries tag 0, the window background
// and is disabled. Read-only mode and section clearing select controls by their tag.

// The tag of `w` (dynamic property "tag"); 0 when unset.
int Tag(const QWidget *w);
void SetTag(QWidget *w, int tag);

// Tag 1, tooltip-base background, enabled.
void StyleAsInput(QWidget *w);
// Tag 0, window background, disabled.
void StyleAsDisplay(QWidget *w);
// Only the background: tooltip base for an input the user may type into now, the window's
// colour for one that waits (the tag stays).
void SetInputLook(QWidget *w, bool input);
