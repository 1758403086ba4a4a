#pragma once

// The screen cursor of the application, as the factories switch it: the hourglass while a
// window is being created, the default otherwise. Backed by QApplication's override cursor, so
// host and package share it.
class QDialog;

enum TCursor { crDefault, crHourGlass };

namespace Screen {
void SetCursor(TCursor cursor);
TCursor Cursor();
// Runs `dialog` modally with the arrow over it, whatever the screen cursor; returns its result.
int ShowModal(QDialog *dialog);

// The hourglass for a scope: the default cursor comes back however the scope ends, also when
// an error passes through it.
class HourGlass
{
public:
    HourGlass() { SetCursor(crHourGlass); }
    ~HourGlass() { SetCursor(crDefault); }
    HourGlass(const HourGlass &) = delete;
    HourGlass &operator=(const HourGlass &) = delete;
};
} // namespace Screen
