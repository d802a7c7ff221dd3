#pragma once
// The date column of the news tree: an item of today shows its time, an older one its date,
// both in the user's locale (its short formats) and time zone.
//
// A start-up formats a date for each of many thousand items, and the locale's formatting
// is the dear part of it: the texts are kept per quarter hour of UTC (no time zone moves
// its clock by less), so a day's items cost one conversion and one formatting each quarter
// hour they fall in. "Today" is the day when the object was made.

#include <QDate>
#include <QHash>
#include <QLocale>
#include <QString>

#include "feeds/ItemsTable.h"

namespace wispel {

class TItemDateText {
public:
    TItemDateText();

    // The column's text for an item dated `date`; empty for 0 (no date).
    QString Text(TItemTime date);
    // The widest text the column is likely to show, for its width.
    QString Widest() const;

private:
    QLocale locale_;
    QDate today_;
    QHash<qint64, QString> olderDays_;  // by quarter hour since the epoch
};

}  // namespace wispel
