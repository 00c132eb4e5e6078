#include "platform/StatusBarPanel.h"

#include <QEvent>
#include <algorithm>
#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

StatusBarPanel::StatusBarPanel(QWidget* parent) : QLabel(parent) { setTextFormat(Qt::PlainText); }

void StatusBarPanel::SetText(const QString& text, const QStringList& shorter) {
    formsOf_ = text;
    shorter_ = shorter;
    setText(text);
    updateGeometry();
    update();
}

QStringList StatusBarPanel::shorterForms() const { return text() == formsOf_ ? shorter_ : QStringList(); }

QRect StatusBarPanel::textRect() const {
    const int m = margin();
    QRect r = contentsRect().adjusted(m, m, -m, -m);
    int indent = this->indent();
    if (indent < 0) indent = frameWidth() > 0 ? fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 : 0;
    if (indent > 0) {
        const Qt::Alignment a = QStyle::visualAlignment(layoutDirection(), alignment());
        if (a & Qt::AlignLeft) r.setLeft(r.left() + indent);
        if (a & Qt::AlignRight) r.setRight(r.right() - indent);
    }
    return r;
}

QString StatusBarPanel::ShownText() const {
    const QString whole = text();
    const QFontMetrics fm = fontMetrics();
    const int room = textRect().width();
    if (fm.horizontalAdvance(whole) <= room) return whole;
    const QStringList forms = shorterForms();
    for (const QString& form : forms)
        if (fm.horizontalAdvance(form) <= room) return form;
    return fm.elidedText(forms.isEmpty() ? whole : forms.last(), Qt::ElideRight, std::max(0, room));
}

QString StatusBarPanel::TipText() const {
    const QString shown = ShownText();
    return shown == text() ? QString() : text();
}

int StatusBarPanel::widthFor(const QString& text) const {
    // The text, the room its rectangle leaves in the panel.
    return fontMetrics().horizontalAdvance(text) + width() - textRect().width();
}

QSize StatusBarPanel::sizeHint() const { return QSize(widthFor(text()), QLabel::sizeHint().height()); }

QSize StatusBarPanel::minimumSizeHint() const { return QSize(widthFor(text()), QLabel::minimumSizeHint().height()); }

void StatusBarPanel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    style()->drawItemText(&painter, textRect(), int(QStyle::visualAlignment(layoutDirection(), alignment())), palette(),
                          isEnabled(), ShownText(), foregroundRole());
}

bool StatusBarPanel::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const QString tip = TipText();
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), tip, this);
        return true;
    }
    return QLabel::event(event);
}
