#include "data/DateText.h"

#include "platform/Database.h"

#include <QLocale>

QString ShortDateText(const QDateTime& t) {
    if (!t.isValid()) return QString();
    return QLocale::system().toString(t.date(), QLocale::ShortFormat);
}

QString GeneralDateText(const QVariant& value) {
    if (!value.isValid() || value.isNull()) return QString();
    const QDateTime t = db::dateFromDb(value);
    if (!t.isValid()) return value.toString();
    const QLocale locale = QLocale::system();
    QString text = locale.toString(t.date(), QLocale::ShortFormat);
    if (t.time() != QTime(0, 0)) {
        QString timeFormat = locale.timeFormat(QLocale::ShortFormat);
        if (!timeFormat.contains(QLatin1Char('s'))) timeFormat.replace(QStringLiteral("mm"), QStringLiteral("mm:ss"));
        text += QLatin1Char(' ') + locale.toString(t.time(), timeFormat);
    }
    return text;
}
