#include "support/XlsxSheet.h"

#include <QProcess>
#include <QXmlStreamReader>

#include <algorithm>

namespace testing_support {

QByteArray unzipMember(const QString& archive, const QString& member) {
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-p"), archive, member});
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        return {};
    return p.readAllStandardOutput();
}

QStringList unzipList(const QString& archive) {
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-Z1"), archive});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

namespace {

// "AB12" -> (12, 28).
bool parseRef(QStringView ref, int& row, int& col) {
    col = 0;
    int i = 0;
    while (i < ref.size() && ref[i].isLetter()) {
        col = col * 26 + (ref[i].toUpper().unicode() - 'A' + 1);
        ++i;
    }
    bool ok = false;
    row = ref.mid(i).toInt(&ok);
    return ok && col > 0;
}

QStringList sharedStrings(const QByteArray& xml) {
    QStringList out;
    QXmlStreamReader r(xml);
    QString current;
    bool inSi = false;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == QLatin1String("si")) {
            inSi = true;
            current.clear();
        } else if (r.isStartElement() && r.name() == QLatin1String("t") && inSi) {
            current += r.readElementText();
        } else if (r.isEndElement() && r.name() == QLatin1String("si")) {
            out << current;
            inSi = false;
        }
    }
    return out;
}

}  // namespace

XlsxSheet::XlsxSheet(const QString& path) {
    const QStringList members = unzipList(path);
    if (members.isEmpty()) {
        error_ = QStringLiteral("not a readable zip archive: ") + path;
        return;
    }
    const QByteArray sheet = unzipMember(path, QStringLiteral("xl/worksheets/sheet1.xml"));
    if (sheet.isEmpty()) {
        error_ = QStringLiteral("no xl/worksheets/sheet1.xml in ") + path;
        return;
    }
    sheetXml = QString::fromUtf8(sheet);
    stylesXml = QString::fromUtf8(unzipMember(path, QStringLiteral("xl/styles.xml")));
    QStringList shared;
    if (members.contains(QStringLiteral("xl/sharedStrings.xml")))
        shared = sharedStrings(unzipMember(path, QStringLiteral("xl/sharedStrings.xml")));
    pictures = int(std::count_if(members.begin(), members.end(),
                                 [](const QString& m) { return m.startsWith(QLatin1String("xl/media/")); }));

    QXmlStreamReader r(sheet);
    while (!r.atEnd()) {
        r.readNext();
        if (!r.isStartElement())
            continue;
        const auto name = r.name();
        const auto a = r.attributes();
        if (name == QLatin1String("c")) {
            int row = 0, col = 0;
            if (!parseRef(a.value(QLatin1String("r")), row, col))
                continue;
            XlsxCell c;
            c.type = a.value(QLatin1String("t")).toString();
            c.style = a.value(QLatin1String("s")).toInt();
            // Read the cell's children up to its end.
            while (!(r.isEndElement() && r.name() == QLatin1String("c")) && !r.atEnd()) {
                r.readNext();
                if (r.isStartElement() && r.name() == QLatin1String("v"))
                    c.value = r.readElementText();
                else if (r.isStartElement() && r.name() == QLatin1String("t"))
                    c.value += r.readElementText();
            }
            if (c.type == QLatin1String("s"))
                c.value = shared.value(c.value.toInt());
            else if (c.type.isEmpty() && !c.value.isEmpty())
                c.type = QStringLiteral("n");
            cells_.insert(key(row, col), c);
        } else if (name == QLatin1String("mergeCell")) {
            merges << a.value(QLatin1String("ref")).toString();
        } else if (name == QLatin1String("col")) {
            const int min = a.value(QLatin1String("min")).toInt();
            const int max = a.value(QLatin1String("max")).toInt();
            for (int c = min; c <= max; ++c)
                widths[c] = a.value(QLatin1String("width")).toDouble();
        } else if (name == QLatin1String("pageSetup")) {
            for (const auto& x : a)
                pageSetup[x.name().toString()] = x.value().toString();
        } else if (name == QLatin1String("pageSetUpPr")) {
            fitToPage = a.value(QLatin1String("fitToPage")) == QLatin1String("1");
        } else if (name == QLatin1String("oddHeader")) {
            oddHeader = r.readElementText();
        }
    }
    if (r.hasError()) {
        error_ = QStringLiteral("bad sheet XML: ") + r.errorString();
        return;
    }

    QXmlStreamReader w(unzipMember(path, QStringLiteral("xl/workbook.xml")));
    while (!w.atEnd()) {
        w.readNext();
        if (w.isStartElement() && w.name() == QLatin1String("definedName") &&
            w.attributes().value(QLatin1String("name")) == QLatin1String("_xlnm.Print_Titles"))
            printTitles = w.readElementText();
    }
}

QStringList XlsxSheet::row(int r, int cols) const {
    QStringList out;
    for (int c = 1; c <= cols; ++c)
        out << text(r, c);
    return out;
}

QList<int> XlsxSheet::filledRows() const {
    QList<int> rows;
    for (auto it = cells_.begin(); it != cells_.end(); ++it) {
        const int r = int(it.key() / 100000);
        if (!it.value().value.isEmpty() && (rows.isEmpty() || rows.back() != r))
            rows << r;
    }
    return rows;
}

int XlsxSheet::lastRow() const {
    const QList<int> rows = filledRows();
    return rows.isEmpty() ? 0 : rows.back();
}

}  // namespace testing_support
