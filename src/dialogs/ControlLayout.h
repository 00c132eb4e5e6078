#pragma once
// Proportional layout of a resizable window: when the window loads, the
// position and size of each of its controls are recorded as fractions of the
// client area; whenever the client area changes size, every control is put
// back at those fractions of the new size. The layout also tells the size at
// which every control's text still fits (ReadableSize).
//
// A window owns one ControlLayout, built over its client area (the window
// itself, or the central widget of a main window), with its controls placed
// at their designed geometry and the client area at its designed size:
//
//     FrmX::FrmX() : layout_(this, ControlLayout::Scaled) {
//         ... create the controls at their designed positions, resize(w, h) ...
//         layout_.Save_Control_Layout();   // first thing of the load
//     }
//     void FrmX::resizeEvent(QResizeEvent* e) { QDialog::resizeEvent(e); layout_.Form_Resize(); }
//     void FrmX::showEvent(QShowEvent* e)     { QDialog::showEvent(e);   layout_.Form_Resize(); }
//
// Dialogs get both events from LaidOutDialog below.
//
// The controls are the window's named child widgets (objectName set, not a
// Qt-internal "qt_" name), searched through every level so that controls
// inside frames count, in the order Qt keeps its children. Not positioned
// here: widgets placed by a Qt layout, top-level windows (popups, dialogs)
// and menus; timers, serial ports and other objects without a place on the
// window are not widgets and never taken. Combo boxes are moved but keep
// their size. Controls are positioned absolutely (no Qt layout on the
// client area).

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>
#include <vector>

// The recorded fractions of one control.
struct ControlLayoutEntry {
    float Width = 0;   // width / client width
    float Height = 0;  // height / client height
    float Top = 0;     // top / client height
    float Left = 0;    // left / client width
};

class ControlLayout {
public:
    static constexpr bool Scaled = true;     // the window's size multiplied by gSF when recorded
    static constexpr bool Unscaled = false;

    // `client` is the widget whose size is the window's client area and
    // whose descendants are the controls.
    ControlLayout(QWidget* client, bool scaled);

    // Records the fractions of every control from its current geometry and
    // the client area's current size. A client area without width or height
    // records nothing, and Form_Resize then moves nothing. A scaled layout
    // then resizes the client area to its size times the screen scale factor
    // (gSF), not below ReadableSize: every control keeps its fractions, so
    // the window and its controls grow or shrink together.
    void Save_Control_Layout();

    // Puts every recorded control at its fractions of the current client
    // size. Nothing moves while the client area is 1 pixel or less high or
    // wide, or while the window is minimised.
    void Form_Resize();

    // The client size the layout was recorded at (its designed size), times
    // the scale factor in a scaled layout; empty before a recording.
    QSize DesignedSize() const { return designed_; }

    // The smallest client size at which every recorded control still shows
    // its text whole, in the window's fonts: a caption (label, button, check
    // box, option, frame title) the width and height of its text, a box the
    // width of its text or of a reading ("00000.00"), whichever is wider, a
    // status bar the height of its panels' text. Each control needs client
    // size = its text's room / its fraction. Hidden controls, controls
    // without text and the grids and charts need nothing; a control marked
    // by HoldsValue needs only its line's height. Empty before a recording.
    QSize ReadableSize() const;
    // The room a control's text needs (zero for a control without text).
    static QSize TextRoom(const QWidget* control);
    // Marks a control whose text is a value of any length (a test or
    // sequence name, a description): the readable size takes its height,
    // never the width of what it happens to show.
    static void HoldsValue(QWidget* control);
    // The widest reading a box is kept wide enough for.
    static const QString kReadingSample;

    // The control collection of a client area, in order.
    static QList<QWidget*> Controls(QWidget* client);
    // True for controls that have no place on the window and are never
    // recorded or moved (menus).
    static bool IsSkipped(const QWidget* control);

    bool recorded() const { return recorded_; }
    bool scaled() const { return scaled_; }
    // The recorded table: entry i belongs to control i of the collection at
    // recording time.
    const std::vector<ControlLayoutEntry>& entries() const { return entries_; }
    // The entry of a control (all zeros for a control not recorded).
    ControlLayoutEntry entryOf(const QWidget* control) const;

private:
    QPointer<QWidget> client_;
    bool scaled_;
    bool recorded_ = false;
    QSize designed_;
    std::vector<QPointer<QWidget>> controls_;
    std::vector<ControlLayoutEntry> entries_;
};

// A dialog laid out proportionally over itself: its load records the layout
// (layout_.Save_Control_Layout()); every resize and every show puts the
// controls back at their fractions.
class LaidOutDialog : public QDialog {
    Q_OBJECT
public:
    LaidOutDialog(bool scaled, QWidget* parent);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

    ControlLayout layout_;
};
