#include "app/ItemDates.h"

#include <QDateTime>

namespace wispel {

namespace {

constexpr qint64 kQuarterHourMs = 15 * 60 * 1000;

// Floors towards the past, also before 1970.
qint64 quarterHour(qint64 unixMs) {
    return unixMs >= 0 ? unixMs / kQuarterHourMs : -((-unixMs + kQuarterHourMs - 1) / kQuarterHourMs);
}

}  // namespace

TItemDateText::TItemDateText() : today_(QDate::currentDate()) {}

QString TItemDateText::Text(TItemTime date) {
    if (date == 0) return {};
    const qint64 unixMs = unixMsFromItemTime(date);
    const qint64 quarter = quarterHour(unixMs);
    if (auto found = olderDays_.constFind(quarter); found != olderDays_.constEnd()) return *found;
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(unixMs);
    if (local.date() == today_) return locale_.toString(local.time(), QLocale::ShortFormat);
    const QString text = locale_.toString(local.date(), QLocale::ShortFormat);
    olderDays_.insert(quarter, text);
    return text;
}

QString TItemDateText::Widest() const {
    // Two digits in every place a date or a time may have one or two.
    const QString date = locale_.toString(QDate(2026, 12, 28), QLocale::ShortFormat);
    const QString time = locale_.toString(QTime(23, 58), QLocale::ShortFormat);
    return date.size() >= time.size() ? date : time;
}

}  // namespace wispel
