#include "platform/FileFilters.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace ui {

namespace {
// The pattern of entry `index`: the second half of a caption|pattern pair,
// or what a Qt-style entry holds between its parentheses.
QString patternOf(const QString& filter, int index) {
    if (index < 1) return QString();
    if (filter.contains(QLatin1Char('|'))) {
        const QStringList parts = filter.split(QLatin1Char('|'));
        return parts.value(2 * (index - 1) + 1).trimmed();
    }
    const QString entry = filter.split(QStringLiteral(";;")).value(index - 1);
    const int open = entry.lastIndexOf(QLatin1Char('('));
    const int close = entry.lastIndexOf(QLatin1Char(')'));
    return open >= 0 && close > open ? entry.mid(open + 1, close - open - 1).trimmed() : QString();
}
}  // namespace

QString FilterExtension(const QString& filter, int index) {
    static const QRegularExpression one(QStringLiteral(R"(^\*\.([A-Za-z0-9_]+)$)"));
    const QRegularExpressionMatch m = one.match(patternOf(filter, index));
    return m.hasMatch() ? m.captured(1) : QString();
}

QString WithFilterExtension(const QString& path, const QString& filter, int index) {
    const QString ext = FilterExtension(filter, index);
    const QString name = QFileInfo(path).fileName();
    if (ext.isEmpty() || name.isEmpty() || QFileInfo(path).isDir()) return path;
    if (name.endsWith(QLatin1Char('.'))) return path + ext;
    if (name.contains(QLatin1Char('.'))) return path;
    return path + QLatin1Char('.') + ext;
}

}  // namespace ui
