#include "ControlStyle.h"

#include <QPalette>
#include <QVariant>
#include <QWidget>

int Tag(const QWidget *w)
{
    return w ? w->property("tag").toInt() : 0;
}

void SetTag(QWidget *w, int tag)
{
    w->setProperty("tag", tag);
}

namespace {

void setBackground(QWidget *w, QPalette::ColorRole source)
{
    QPalette pal = w->palette();
    const QColor colour = pal.color(QPalette::Active, source);
    // All groups, so a disabled display control keeps its colour.
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Base, colour);
        pal.setColor(group, QPalette::Button, colour);
    }
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

} // namespace

void StyleAsInput(QWidget *w)
{
    SetTag(w, 1);
    setBackground(w, QPalette::ToolTipBase);
    w->setEnabled(true);
}

void StyleAsDisplay(QWidget *w)
{
    SetTag(w, 0);
    setBackground(w, QPalette::Window);
    w->setEnabled(false);
}

void SetInputLook(QWidget *w, bool input)
{
    setBackground(w, input ? QPalette::ToolTipBase : QPalette::Window);
}
