#pragma once
// The multi-unit test window: a container of one child window per
// instrument unit and test kind. Its menus offer, for units 1 to 8, the
// rheology test ("Regular Test"), the simple test, the PVT test and the
// swell test ("LSM test"); adding a unit creates the child, shows it, starts
// its one-second timer and opens its serial port on the unit's port from the
// settings file. While a unit's window (of any kind) is open, the unit's
// entry is greyed in all four menus, its port being that window's; the child
// gives them back when it closes.
//
// The application keeps one instance (ShowInstance); the main window opens
// it modeless. Closing the container (its close box or Exit) decides before
// any child closes: while a child runs a test it is refused, naming the
// units, and every child stays open with its port; with recorded points
// waiting in the children it asks once about them (Yes stores them first, No
// leaves them kept for the next start, Cancel keeps every window open). Then
// every child closes without asking again.
//
// Each child sits in its frame inside a scrolling area (UnitFrame): the
// child opens maximised, keeps its designed size as the frame's normal size
// (Restore, Cascade), and in a frame smaller than the size at which its texts
// fit (tiled beside others) it keeps that size and scrolls instead of
// squeezing its controls over each other.

#include "unitbase/UnitWindow.h"

#include <QMainWindow>
#include <QPointer>
#include <QScrollArea>
#include <QRect>
#include <array>
#include <functional>
#include <vector>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class clsConnection;
class frmRealTime;

// What a unit window's frame holds: the window in a scrolling area. The
// window fills the area and follows its size, down to the window's
// readable size (UnitWindow::minimumSizeHint); below it the area scrolls.
// The area takes the window's caption, asks the window when it is closed
// (a window that refuses keeps its frame open) and offers the window's
// designed size as its own. It needs no more than its scroll bars: a frame
// tiled smaller than the scroll bars' own lengths keeps the size it was
// given (its window scrolls), rather than growing over its neighbours.
class UnitFrame : public QScrollArea {
    Q_OBJECT
public:
    explicit UnitFrame(UnitWindow* unitWindow, QWidget* parent = nullptr);
    UnitWindow* unitWindow() const { return unit_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QPointer<UnitWindow> unit_;
};

// Window arrangements of the Window menu.
enum ArrangeCode : int { vbCascade = 0, vbTileHorizontal = 1, vbTileVertical = 2 };

// Tiling of count windows over an area: horizontally, one under the other at
// full width; vertically, side by side at full height. Sizes differ by at
// most one pixel and the rectangles cover the area exactly.
std::vector<QRect> TileRects(const QRect& area, int count, int arrangement);

class frmMDIRealTime : public QMainWindow, public UnitContainer {
    Q_OBJECT
public:
    static const QString kCaption;  // "Z3080DAQ Real Time Test & Monitoring"

    // connection: the main window's connection, handed to every child's InitialInst.
    explicit frmMDIRealTime(clsConnection* connection, QWidget* parent = nullptr);
    ~frmMDIRealTime() override;

    // The one container of the application: created and loaded at the first
    // call (and again after it was closed), shown modeless, brought to front.
    static frmMDIRealTime* ShowInstance(clsConnection* connection);
    // The open container, or nullptr.
    static frmMDIRealTime* Instance();

    // Reads the unit ports and enables the four entries (rheology, simple,
    // PVT, swell) of each unit that has a port; the others stay disabled.
    void MDIForm_Load();

    // Adds the window of a kind for unit Index (1 .. 8).
    void MenuAdd_Click(int Index);
    void MenuSimpleAdd_Click(int Index);
    void MenuPVTAdd_Click(int Index);
    void MenuSwellAdd_Click(int Index);
    void MenuWindowCascade_Click();
    void MenuWindowHorizontal_Click();
    void MenuWindowVertically_Click();
    void MenuExit_Click();
    void Arrange(int arrangement);

    // The entry of a kind and unit (nullptr outside 1 .. 8).
    QAction* Entry(UnitWindowKind kind, int unitNumber) const;
    // A child of the kind on unit n closes: the unit's entries of every kind
    // are enabled again.
    void EnableEntry(UnitWindowKind kind, int unitNumber) override;
    // True when windows of this kind can be created (every kind of the
    // menus: a value outside them is none).
    static bool KindAvailable(UnitWindowKind kind);

    // ---- controls -----------------------------------------------------------
    QMdiArea* mdiArea;
    QMenu* MenuAddInstrument;  // "Regular Test"
    QMenu* MenuSimple;         // "Simple Test"
    QMenu* MenuPVT;            // "PVT Test"
    QMenu* menuSWMl;           // "LSM test"
    QMenu* MenuWindow;         // "Window"
    QAction* MenuExit;         // "E&xit"
    std::array<QAction*, 9> MenuAdd{};        // [1 .. 8]
    std::array<QAction*, 9> MenuSimpleAdd{};
    std::array<QAction*, 9> MenuPVTAdd{};
    std::array<QAction*, 9> MenuSwellAdd{};
    QAction* MenuWindowHorizontal;
    QAction* MenuWindowVertically;
    QAction* MenuWindowCascade;

    // The last window created per unit and kind; slots 1 .. 8 (0, 9, 10
    // stay empty). A closed window's slot reads empty.
    std::array<QPointer<frmRealTime>, 11> RealTimeWindows;
    std::array<QPointer<UnitWindow>, 11> SimpleTestWindows;
    std::array<QPointer<UnitWindow>, 11> PvtTestWindows;
    std::array<QPointer<UnitWindow>, 11> SwellTestWindows;

    // The sub-window (frame) that holds a child.
    QMdiSubWindow* SubWindowOf(const QWidget* child) const;
    // The child a sub-window holds (nullptr for none).
    static UnitWindow* UnitOf(const QMdiSubWindow* sub);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void addUnitWindow(UnitWindowKind kind, int Index);
    // Keeps a frame inside the container's area (its child scrolls instead),
    // once the area changed size: a frame that reaches beyond it moves back
    // as little as it must, a frame inside it stays where it is.
    void keepInside(QMdiSubWindow* sub) const;
    // The entries of unit n in every kind's menu enabled or greyed.
    void enableUnit(int unitNumber, bool enabled);
    // The children whose frames are open.
    std::vector<UnitWindow*> openChildren() const;
    std::array<QAction*, 9>& entries(UnitWindowKind kind);
    const std::array<QAction*, 9>& entries(UnitWindowKind kind) const;

    clsConnection* connection_;
};
