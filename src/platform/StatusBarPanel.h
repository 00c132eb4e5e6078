#pragma once
// A panel of a status bar: a label whose text always fits it. While the
// panel is narrower than its text, it shows the longest of the text's
// shorter forms that fits (SetText), else the shortest form cut at the
// right with "…"; its tip then holds the whole text. The panel asks its bar
// for its whole text's width (its share of the bar, but never less); a bar
// too narrow for every panel's text narrows the widest panels first, so a
// long text shortens before its neighbours do.
//
// text() stays the whole text; the text is plain, never markup.

#include <QLabel>
#include <QString>
#include <QStringList>

class StatusBarPanel : public QLabel {
    Q_OBJECT
public:
    explicit StatusBarPanel(QWidget* parent = nullptr);

    // The text with its shorter forms, longest first. The forms hold while
    // the panel shows this text: a plain setText has none.
    void SetText(const QString& text, const QStringList& shorter);

    // What the panel shows at its present width.
    QString ShownText() const;
    // The whole text while the panel shows less of it, else empty.
    QString TipText() const;

    // The whole text's width, both.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    // The shorter forms of the present text (none after a plain setText).
    QStringList shorterForms() const;
    // Where the text is drawn.
    QRect textRect() const;
    // The panel's width for a text to fit.
    int widthFor(const QString& text) const;

    QString formsOf_;  // the text the forms belong to
    QStringList shorter_;
};
