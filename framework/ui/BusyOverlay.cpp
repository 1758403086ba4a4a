#include "BusyOverlay.h"

#include <QEvent>
#include <QPainter>
#include <QTimerEvent>

#include <cmath>
#include <numbers>

using namespace Qt::StringLiterals;

namespace {
constexpr int kDots = 12;
constexpr int kStepMs = 80;
} // namespace

TBusyOverlay::TBusyOverlay(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(u"frmShowAvi"_s);
    setAttribute(Qt::WA_NoSystemBackground);
    // Never takes the focus: a focus move would fire the exit handlers of the window under it.
    setFocusPolicy(Qt::NoFocus);
    if (parent)
        parent->installEventFilter(this);
    else
        setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    coverParent();
}

void TBusyOverlay::setText(const QString &text)
{
    m_text = text;
    update();
}

void TBusyOverlay::coverParent()
{
    if (parentWidget())
        setGeometry(parentWidget()->rect());
    else
        resize(260, 140);
}

bool TBusyOverlay::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        coverParent();
    return QWidget::eventFilter(watched, event);
}

void TBusyOverlay::showEvent(QShowEvent *event)
{
    coverParent();
    raise();
    m_timer.start(kStepMs, this);
    QWidget::showEvent(event);
}

void TBusyOverlay::hideEvent(QHideEvent *event)
{
    m_timer.stop();
    QWidget::hideEvent(event);
}

void TBusyOverlay::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_timer.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    ++m_frame;
    update();
}

void TBusyOverlay::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), QColor(0, 0, 0, parentWidget() ? 70 : 0));

    const QRectF box(width() / 2.0 - 120, height() / 2.0 - 60, 240, 120);
    p.setPen(palette().color(QPalette::Mid));
    p.setBrush(palette().color(QPalette::Window));
    p.drawRoundedRect(box, 8, 8);

    const QPointF centre(box.center().x(), box.top() + 42);
    const double radius = 18;
    const int head = m_frame % kDots;
    for (int i = 0; i < kDots; ++i) {
        const double angle = 2 * std::numbers::pi * i / kDots;
        const QPointF at(centre.x() + radius * std::cos(angle),
                         centre.y() + radius * std::sin(angle));
        const int age = (head - i + kDots) % kDots;
        QColor c = palette().color(QPalette::Highlight);
        c.setAlpha(255 - age * (200 / kDots));
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawEllipse(at, 3.5, 3.5);
    }
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(QRectF(box.left() + 8, box.top() + 72, box.width() - 16, 40),
               Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, m_text);
}
