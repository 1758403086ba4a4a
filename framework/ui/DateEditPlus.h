#pragma once

#include <QDate>
#include <QLineEdit>

class QCalendarWidget;
class TDataSource;
class TFieldDataLink;

// A date edit: typed as dd/mm/yyyy (a mask) or chosen in a calendar (week-day names in
// Portuguese). Unbound, or bound to a date-time field (the time of day is kept when only the date
// changes). An empty edit is no date; a partly typed or impossible date is refused by
// CheckValidDate.
class TDateEditPlus : public QLineEdit
{
    Q_OBJECT
public:
    explicit TDateEditPlus(QWidget *parent = nullptr, const QString &name = {});

    // The date shown; invalid when empty or not a date.
    QDate GetDate() const;
    // Shows `date` (an invalid date empties the edit); bound, it is stored in the field too.
    void SetDate(const QDate &date);
    // True when nothing is typed.
    bool IsEmpty() const;
    // Raises MensErro (and takes the focus) when the text is neither empty nor a valid date.
    void CheckValidDate();

    void SetDataSource(TDataSource *source);
    void SetDataField(const QString &fieldName);
    TFieldDataLink *DataLink() const { return m_link; }

    // Opens the calendar under the edit (popup "frmCalendario", day names lblDia1..lblDia7).
    void ShowCalendar();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void load();
    void save();
    void userEdited();

    TFieldDataLink *m_link;
    QWidget *m_popup = nullptr;
    QCalendarWidget *m_calendar = nullptr;
    bool m_loading = false;
};
