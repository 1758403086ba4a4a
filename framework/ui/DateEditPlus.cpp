#include "DateEditPlus.h"

#include "ClientDataSet.h"
#include "Exceptions.h"
#include "FieldDataLink.h"
#include "Messages.h"

#include <QAction>
#include <QCalendarWidget>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QStyle>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {
const QString kFormat = u"dd/MM/yyyy"_s;
}

TDateEditPlus::TDateEditPlus(QWidget *parent, const QString &name)
    : QLineEdit(parent)
    , m_link(new TFieldDataLink(this))
{
    if (!name.isEmpty())
        setObjectName(name);
    setInputMask(u"99/99/9999;_"_s);
    QAction *calendar = addAction(style()->standardIcon(QStyle::SP_FileDialogInfoView),
                                  QLineEdit::TrailingPosition);
    calendar->setObjectName(u"actCalendario"_s);
    connect(calendar, &QAction::triggered, this, [this] { ShowCalendar(); });
    m_link->OnLoad = [this] {
        load();
    };
    m_link->OnSave = [this] {
        save();
    };
    m_link->OnState = [this] {
        setReadOnly(m_link->Field() && !m_link->CanModify());
    };
    connect(this, &QLineEdit::textEdited, this, [this] { userEdited(); });
}

QDate TDateEditPlus::GetDate() const
{
    return QDate::fromString(text(), kFormat);
}

bool TDateEditPlus::IsEmpty() const
{
    QString digits = text();
    digits.remove(u'/').remove(u'_');
    return digits.trimmed().isEmpty();
}

void TDateEditPlus::SetDate(const QDate &date)
{
    m_loading = true;
    setText(date.isValid() ? date.toString(kFormat) : QString());
    m_loading = false;
    if (m_link->Field()) {
        const bool ok = FrameworkGuard([this] {
            if (!m_link->Edit())
                Abort();
            m_link->SetModified(true);
            m_link->UpdateRecord();
        });
        if (!ok)
            m_link->Reset();
    }
}

void TDateEditPlus::CheckValidDate()
{
    if (IsEmpty() || GetDate().isValid())
        return;
    setFocus();
    MensErro(FwMsg(u"FW_DATA_INVALIDA"_s).arg(text()));
}

void TDateEditPlus::SetDataSource(TDataSource *source)
{
    m_link->SetDataSource(source);
}

void TDateEditPlus::SetDataField(const QString &fieldName)
{
    m_link->SetFieldName(fieldName);
}

void TDateEditPlus::load()
{
    m_loading = true;
    TField *f = m_link->Active() ? m_link->Field() : nullptr;
    const QDateTime value = f && !f->DataSet()->IsEmpty() ? f->AsDateTime() : QDateTime();
    setText(value.isValid() ? value.date().toString(kFormat) : QString());
    m_loading = false;
}

void TDateEditPlus::save()
{
    TField *f = m_link->Field();
    if (IsEmpty()) {
        f->Clear();
        return;
    }
    CheckValidDate();
    const QDateTime old = f->AsDateTime();
    const QTime time = old.isValid() ? old.time() : QTime(0, 0);
    f->SetAsDateTime(QDateTime(GetDate(), time));
}

void TDateEditPlus::userEdited()
{
    if (m_loading || !m_link->Field())
        return;
    const QString typed = text();
    const int cursor = cursorPosition();
    if (!FrameworkGuard([this] {
            if (!m_link->Edit())
                Abort();
        })) {
        m_link->Reset();
        return;
    }
    if (text() != typed) {
        m_loading = true;
        setText(typed);
        setCursorPosition(cursor);
        m_loading = false;
    }
    m_link->SetModified(true);
}

void TDateEditPlus::ShowCalendar()
{
    if (isReadOnly() || !isEnabled())
        return;
    if (!m_calendar) {
        // The calendar's own header would show the locale's lower-case day names: the popup
        // carries the window's names above a calendar without header.
        auto *frame = new QFrame(this, Qt::Popup);
        frame->setFrameShape(QFrame::Box);
        m_popup = frame;
        m_popup->setObjectName(u"frmCalendario"_s);
        auto *layout = new QVBoxLayout(m_popup);
        layout->setContentsMargins(2, 2, 2, 2);
        layout->setSpacing(0);
        auto *days = new QHBoxLayout;
        days->setSpacing(0);
        static const char16_t *const kDays[]
            = {u"FW_DIA_DOMINGO", u"FW_DIA_SEGUNDA", u"FW_DIA_TERCA", u"FW_DIA_QUARTA",
               u"FW_DIA_QUINTA",  u"FW_DIA_SEXTA",   u"FW_DIA_SABADO"};
        for (int i = 0; i < 7; ++i) {
            auto *day = new QLabel(FwMsg(QString::fromUtf16(kDays[i])), m_popup);
            day->setObjectName(u"lblDia%1"_s.arg(i + 1));
            day->setAlignment(Qt::AlignCenter);
            days->addWidget(day, 1);
        }
        layout->addLayout(days);
        m_calendar = new QCalendarWidget(m_popup);
        m_calendar->setObjectName(u"calDateEditPlus"_s);
        m_calendar->setLocale(QLocale(QLocale::Portuguese, QLocale::Brazil));
        m_calendar->setFirstDayOfWeek(Qt::Sunday);
        m_calendar->setHorizontalHeaderFormat(QCalendarWidget::NoHorizontalHeader);
        m_calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
        layout->addWidget(m_calendar);
        m_popup->resize(420, 230);
        connect(m_calendar, &QCalendarWidget::activated, this, [this](const QDate &date) {
            m_popup->hide();
            if (m_link->Field()) {
                SetDate(date);
            } else {
                setText(date.toString(kFormat));
            }
            setFocus();
        });
    }
    m_calendar->setSelectedDate(GetDate().isValid() ? GetDate() : QDate::currentDate());
    m_popup->move(mapToGlobal(QPoint(0, height())));
    m_popup->show();
}

void TDateEditPlus::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier))
        || event->key() == Qt::Key_F4) {
        ShowCalendar();
        return;
    }
    if (event->key() == Qt::Key_Escape && m_link->Modified()) {
        m_link->Reset();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TDateEditPlus::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    if (!FrameworkGuard([this] { m_link->UpdateRecord(); }))
        setFocus();
}
