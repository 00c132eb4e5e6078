#include "multiunit/frmMDIRealTime.h"

#include "data/Globals.h"
#include "data/Numbers.h"
#include "platform/Database.h"
#include "platform/Dialogs.h"
#include "data/UnitPorts.h"
#include "rheology/frmRealTime.h"
#include "pvt/frmPVTtest.h"
#include "simpletest/frmSimpleTest.h"
#include "swell/frmSWMTest.h"

#include <QCloseEvent>
#include <QEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <algorithm>

const QString frmMDIRealTime::kCaption = QStringLiteral("Z3080DAQ Real Time Test & Monitoring");

namespace {

// The size of the container's area when a frame was maximised.
constexpr const char* kAreaAtMaximise = "areaAtMaximise";

// Tells the container when its area changes size.
class AreaWatch : public QObject {
public:
    AreaWatch(QWidget* area, std::function<void()> changed) : QObject(area), changed_(std::move(changed)) {
        area->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize) changed_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> changed_;
};

QPointer<frmMDIRealTime>& instance() {
    static QPointer<frmMDIRealTime> p;
    return p;
}

// What differs between the kinds when a unit is added (every kind opens
// maximised in the container).
struct KindTraits {
    const char* suffix;  // of the caption "Unit n<suffix>"
    bool setsUnits;      // Units = n
    bool setsLabel;      // lblInstName = "Unit n"
    bool initialInst;    // InitialInst(connection)
};

const KindTraits& traits(UnitWindowKind kind) {
    static const KindTraits table[] = {
        {" Real Time Test", false, true, true},  // rheology
        {" Simple Test", false, true, false},    // simple
        {" PVT Test", true, true, true},         // PVT
        {" LSM Test", true, false, false},       // swell
    };
    return table[int(kind)];
}

// A new window of a kind (rheology, simple, PVT or swell); nullptr for a value
// that is none of them. The swell window loads with its unit and connection
// (it reads the unit's calibration).
UnitWindow* createWindow(UnitWindowKind kind, int unitNumber, clsConnection* connection) {
    switch (kind) {
    case UnitWindowKind::RealTime: return new frmRealTime;
    case UnitWindowKind::Simple: return new frmSimpleTest;
    case UnitWindowKind::Pvt: return new frmPVTtest;
    case UnitWindowKind::Swell: return new frmSWMTest(unitNumber, connection);
    default: return nullptr;
    }
}

// The add handlers' report of a failure: the description, " - " and the
// number with its sign position; the handler then goes on.
void reportAddFailure(int number, const QString& description) {
    ui::MsgBox(description + QStringLiteral(" - ") + Str(number), ui::vbExclamation, QStringLiteral("Form_Load Error"));
}

// Runs one step of an add; a failure is reported and false returned.
template <typename F>
bool addStep(F&& f) {
    try {
        f();
        return true;
    } catch (const comm::CommError& e) {
        reportAddFailure(e.number(), e.fullText());
    } catch (const db::DbError& e) {
        reportAddFailure(e.number(), e.description());
    } catch (const unit::PortFileError& e) {
        reportAddFailure(e.number(), e.description());
    } catch (const std::exception& e) {
        reportAddFailure(5, QString::fromLocal8Bit(e.what()));
    }
    return false;
}

}  // namespace

UnitFrame::UnitFrame(UnitWindow* unitWindow, QWidget* parent) : QScrollArea(parent), unit_(unitWindow) {
    setObjectName(QStringLiteral("UnitFrame"));
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setWidget(unitWindow);
    setWindowTitle(unitWindow->windowTitle());
    unitWindow->installEventFilter(this);
}

QSize UnitFrame::sizeHint() const {
    if (!unit_) return QScrollArea::sizeHint();
    const int f = 2 * frameWidth();
    return unit_->sizeHint() + QSize(f, f);
}

QSize UnitFrame::minimumSizeHint() const {
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const int f = 2 * frameWidth();
    return QSize(bar + f, bar + f);
}

bool UnitFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == unit_ && event->type() == QEvent::WindowTitleChange) setWindowTitle(unit_->windowTitle());
    return QScrollArea::eventFilter(watched, event);
}

void UnitFrame::closeEvent(QCloseEvent* event) {
    // The window decides (a running test refuses).
    if (unit_ && !unit_->close())
        event->ignore();
    else
        event->accept();
}

std::vector<QRect> TileRects(const QRect& area, int count, int arrangement) {
    std::vector<QRect> rects;
    if (count <= 0 || area.isEmpty()) return rects;
    const bool stacked = arrangement == vbTileHorizontal;
    const int total = stacked ? area.height() : area.width();
    for (int i = 0; i < count; ++i) {
        const int from = int(qint64(total) * i / count);
        const int to = int(qint64(total) * (i + 1) / count);
        if (stacked)
            rects.emplace_back(area.left(), area.top() + from, area.width(), to - from);
        else
            rects.emplace_back(area.left() + from, area.top(), to - from, area.height());
    }
    return rects;
}

frmMDIRealTime::frmMDIRealTime(clsConnection* connection, QWidget* parent)
    : QMainWindow(parent), connection_(connection) {
    setObjectName(QStringLiteral("frmMDIRealTime"));
    setWindowTitle(kCaption);
    mdiArea = new QMdiArea(this);
    mdiArea->setObjectName(QStringLiteral("mdiArea"));
    setCentralWidget(mdiArea);
    resize(1024, 740);

    auto unitMenu = [this](const char* name, const QString& title, const char* entryName, const QString& entryText,
                           std::array<QAction*, 9>& entries, void (frmMDIRealTime::*handler)(int)) {
        QMenu* menu = menuBar()->addMenu(title);
        menu->setObjectName(QString::fromLatin1(name));
        for (int n = 1; n <= 8; ++n) {
            QAction* a = menu->addAction(entryText + QString::number(n));
            a->setObjectName(QString::fromLatin1(entryName));  // a control array: one name, Index 1 .. 8
            a->setProperty("Index", n);
            a->setEnabled(false);  // until the unit's port is known
            connect(a, &QAction::triggered, this, [this, handler, n] { (this->*handler)(n); });
            entries[n] = a;
        }
        return menu;
    };
    MenuAddInstrument = unitMenu("MenuAddInstrument", QStringLiteral("Regular Test"), "MenuAdd", QStringLiteral("Add Z3080 Unit "),
                                 MenuAdd, &frmMDIRealTime::MenuAdd_Click);
    MenuSimple = unitMenu("MenuSimple", QStringLiteral("Simple Test"), "MenuSimpleAdd", QStringLiteral("Add Z3080 Unit "), MenuSimpleAdd,
                          &frmMDIRealTime::MenuSimpleAdd_Click);
    MenuPVT = unitMenu("MenuPVT", QStringLiteral("PVT Test"), "MenuPVTAdd", QStringLiteral("Add Z3080  Unit "), MenuPVTAdd,
                       &frmMDIRealTime::MenuPVTAdd_Click);
    menuSWMl = unitMenu("menuSWMl", QStringLiteral("LSM test"), "MenuSwellAdd", QStringLiteral("Add Z3080  Unit "), MenuSwellAdd,
                        &frmMDIRealTime::MenuSwellAdd_Click);

    MenuWindow = menuBar()->addMenu(QStringLiteral("Window"));
    MenuWindow->setObjectName(QStringLiteral("MenuWindow"));
    MenuWindowHorizontal = MenuWindow->addAction(QStringLiteral("Tile &Horizontally"));
    MenuWindowHorizontal->setObjectName(QStringLiteral("MenuWindowHorizontal"));
    MenuWindowVertically = MenuWindow->addAction(QStringLiteral("Tile Vertically"));
    MenuWindowVertically->setObjectName(QStringLiteral("MenuWindowVertically"));
    MenuWindowCascade = MenuWindow->addAction(QStringLiteral("&Cascade"));
    MenuWindowCascade->setObjectName(QStringLiteral("MenuWindowCascade"));
    connect(MenuWindowHorizontal, &QAction::triggered, this, &frmMDIRealTime::MenuWindowHorizontal_Click);
    connect(MenuWindowVertically, &QAction::triggered, this, &frmMDIRealTime::MenuWindowVertically_Click);
    connect(MenuWindowCascade, &QAction::triggered, this, &frmMDIRealTime::MenuWindowCascade_Click);

    MenuExit = menuBar()->addAction(QStringLiteral("E&xit"));
    MenuExit->setObjectName(QStringLiteral("MenuExit"));
    connect(MenuExit, &QAction::triggered, this, &frmMDIRealTime::MenuExit_Click);

    // Only a change of the area itself keeps the frames inside it.
    new AreaWatch(mdiArea->viewport(), [this] {
        for (QMdiSubWindow* sub : mdiArea->subWindowList()) keepInside(sub);
    });

    connect(mdiArea, &QMdiArea::subWindowActivated, this, [](QMdiSubWindow* sub) {
        if (auto* w = qobject_cast<frmRealTime*>(UnitOf(sub))) w->Form_Activate();
    });
}

frmMDIRealTime::~frmMDIRealTime() = default;

frmMDIRealTime* frmMDIRealTime::ShowInstance(clsConnection* connection) {
    QPointer<frmMDIRealTime>& p = instance();
    if (!p) {
        p = new frmMDIRealTime(connection);
        p->setAttribute(Qt::WA_DeleteOnClose);
        p->MDIForm_Load();
    }
    p->show();
    p->raise();
    p->activateWindow();
    return p;
}

frmMDIRealTime* frmMDIRealTime::Instance() { return instance(); }

bool frmMDIRealTime::KindAvailable(UnitWindowKind kind) {
    return kind == UnitWindowKind::RealTime || kind == UnitWindowKind::Simple || kind == UnitWindowKind::Pvt ||
           kind == UnitWindowKind::Swell;
}

std::array<QAction*, 9>& frmMDIRealTime::entries(UnitWindowKind kind) {
    switch (kind) {
    case UnitWindowKind::Simple: return MenuSimpleAdd;
    case UnitWindowKind::Pvt: return MenuPVTAdd;
    case UnitWindowKind::Swell: return MenuSwellAdd;
    default: return MenuAdd;
    }
}

const std::array<QAction*, 9>& frmMDIRealTime::entries(UnitWindowKind kind) const {
    return const_cast<frmMDIRealTime*>(this)->entries(kind);
}

QAction* frmMDIRealTime::Entry(UnitWindowKind kind, int unitNumber) const {
    return unitNumber >= 1 && unitNumber <= 8 ? entries(kind)[unitNumber] : nullptr;
}

void frmMDIRealTime::EnableEntry(UnitWindowKind, int unitNumber) { enableUnit(unitNumber, true); }

void frmMDIRealTime::enableUnit(int unitNumber, bool enabled) {
    for (UnitWindowKind kind : {UnitWindowKind::RealTime, UnitWindowKind::Simple, UnitWindowKind::Pvt, UnitWindowKind::Swell})
        if (QAction* a = Entry(kind, unitNumber)) a->setEnabled(enabled && KindAvailable(kind));
}

void frmMDIRealTime::MDIForm_Load() {
    try {
        unit::ReadUnitPorts(unit::kUnitCount, [this](int u, int port) {
            for (UnitWindowKind kind :
                 {UnitWindowKind::RealTime, UnitWindowKind::Simple, UnitWindowKind::Pvt, UnitWindowKind::Swell})
                entries(kind)[u]->setEnabled(port != 0 && KindAvailable(kind));
        });
    } catch (const unit::PortFileError& e) {
        ui::MsgBox(ui::errorText(e.number(), e.description()));
    }
}

void frmMDIRealTime::MenuAdd_Click(int Index) { addUnitWindow(UnitWindowKind::RealTime, Index); }
void frmMDIRealTime::MenuSimpleAdd_Click(int Index) { addUnitWindow(UnitWindowKind::Simple, Index); }
void frmMDIRealTime::MenuPVTAdd_Click(int Index) { addUnitWindow(UnitWindowKind::Pvt, Index); }
void frmMDIRealTime::MenuSwellAdd_Click(int Index) { addUnitWindow(UnitWindowKind::Swell, Index); }

void frmMDIRealTime::addUnitWindow(UnitWindowKind kind, int Index) {
    if (Index < 1 || Index > unit::kUnitCount || !KindAvailable(kind)) return;
    const KindTraits& t = traits(kind);

    int port = 0;
    const bool havePort = addStep([&] { port = unit::ReadUnitPort(Index); });

    UnitWindow* w = createWindow(kind, Index, connection_);
    if (!w) return;
    w->Container(this);
    switch (kind) {
    case UnitWindowKind::RealTime: RealTimeWindows[Index] = static_cast<frmRealTime*>(w); break;
    case UnitWindowKind::Simple: SimpleTestWindows[Index] = w; break;
    case UnitWindowKind::Pvt: PvtTestWindows[Index] = w; break;
    case UnitWindowKind::Swell: SwellTestWindows[Index] = w; break;
    }
    if (t.setsUnits) w->Units(Index);
    const QString unitName = QStringLiteral("Unit") + Str(Index);
    w->setWindowTitle(unitName + QString::fromLatin1(t.suffix));
    if (t.setsLabel && w->lblInstName) w->lblInstName->setText(unitName);
    if (t.initialInst) addStep([&] { w->InitialInst(connection_); });

    const int others = int(mdiArea->subWindowList().size());
    QMdiSubWindow* sub = mdiArea->addSubWindow(new UnitFrame(w));
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // Its normal place (Restore): its designed size (the frame's size hint,
    // the child's designed size with the caption and the border around it),
    // one caption lower and to the right of the window opened before it.
    const int step = sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub);
    // In a smaller area it is cut to the area (its child scrolls).
    const QRect area = mdiArea->viewport()->rect();
    QRect place(QPoint(others % 8 * step, others % 8 * step), sub->sizeHint());
    if (isVisible() && !area.isEmpty()) place = place.intersected(area);
    sub->setGeometry(place);
    // Restored from maximised, the frame comes back to the place it had
    // before; only when the area changed meanwhile is it kept inside the
    // area as it is then. Activation, another window's dialog or Restore
    // never move it.
    connect(sub, &QMdiSubWindow::windowStateChanged, this, [this, sub](Qt::WindowStates old, Qt::WindowStates now) {
        const QSize area = mdiArea->viewport()->size();
        if ((now & Qt::WindowMaximized) && !(old & Qt::WindowMaximized))
            sub->setProperty(kAreaAtMaximise, area);
        else if ((old & Qt::WindowMaximized) && !(now & (Qt::WindowMaximized | Qt::WindowMinimized)) &&
                 sub->property(kAreaAtMaximise).toSize() != area)
            keepInside(sub);
    });
    // Maximised, the window fills the container, whose caption names it.
    sub->showMaximized();
    // The unit's port is this window's: no other kind is offered for the unit.
    enableUnit(Index, false);

    w->Timer1.Interval(1000);
    w->Timer1.Enabled(true);

    if (!havePort) return;
    comm::CommPort& c = w->MSComm1;
    c.MapFolder(gAppPath);
    if (addStep([&] { c.PortNumber(port); })) {
        addStep([&] { c.Settings(QStringLiteral("115200,n,8,1")); });
        addStep([&] { c.PortOpen(true); });
    }
    addStep([&] { c.InputLen(0); });
    c.RThreshold(1);
    c.SThreshold(0);
}

QMdiSubWindow* frmMDIRealTime::SubWindowOf(const QWidget* child) const {
    for (QMdiSubWindow* sub : mdiArea->subWindowList())
        if (child && UnitOf(sub) == child) return sub;
    return nullptr;
}

UnitWindow* frmMDIRealTime::UnitOf(const QMdiSubWindow* sub) {
    if (!sub) return nullptr;
    if (auto* frame = qobject_cast<UnitFrame*>(sub->widget())) return frame->unitWindow();
    return qobject_cast<UnitWindow*>(sub->widget());
}

void frmMDIRealTime::keepInside(QMdiSubWindow* sub) const {
    const QRect area = mdiArea->viewport()->rect();
    if (!isVisible() || area.isEmpty() || sub->isMaximized() || sub->isMinimized()) return;
    QRect g = sub->geometry();
    // A frame that reaches beyond the area's right or bottom edge moves back
    // as far as it must, never past the left or top edge; what still lies
    // outside is cut (its child scrolls). A frame inside the area stays.
    if (g.right() > area.right()) g.moveLeft(std::max(area.left(), g.left() - (g.right() - area.right())));
    if (g.bottom() > area.bottom()) g.moveTop(std::max(area.top(), g.top() - (g.bottom() - area.bottom())));
    g = g.intersected(area);
    if (g != sub->geometry()) sub->setGeometry(g);
}

void frmMDIRealTime::Arrange(int arrangement) {
    if (arrangement == vbCascade) {
        // Each frame at its normal size, cut to the area (its child scrolls).
        mdiArea->cascadeSubWindows();
        const QRect area = mdiArea->viewport()->rect();
        for (QMdiSubWindow* sub : mdiArea->subWindowList())
            if (sub->isVisible() && !sub->isMaximized() && !sub->isMinimized() && !area.isEmpty())
                sub->setGeometry(sub->geometry().intersected(area));
        return;
    }
    std::vector<QMdiSubWindow*> subs;
    for (QMdiSubWindow* sub : mdiArea->subWindowList())
        if (sub->isVisible() && !sub->isMinimized()) subs.push_back(sub);
    const std::vector<QRect> rects = TileRects(mdiArea->viewport()->rect(), int(subs.size()), arrangement);
    for (std::size_t i = 0; i < subs.size(); ++i) {
        if (subs[i]->isMaximized()) subs[i]->showNormal();
        subs[i]->setGeometry(rects[i]);
    }
}

void frmMDIRealTime::MenuWindowCascade_Click() { Arrange(vbCascade); }
void frmMDIRealTime::MenuWindowHorizontal_Click() { Arrange(vbTileHorizontal); }
void frmMDIRealTime::MenuWindowVertically_Click() { Arrange(vbTileVertical); }

void frmMDIRealTime::MenuExit_Click() { close(); }

std::vector<UnitWindow*> frmMDIRealTime::openChildren() const {
    std::vector<UnitWindow*> children;
    for (QMdiSubWindow* sub : mdiArea->subWindowList())
        if (UnitWindow* w = UnitOf(sub); w && !sub->isHidden()) children.push_back(w);
    return children;
}

void frmMDIRealTime::closeEvent(QCloseEvent* event) {
    // Decided before any child closes: a refused close leaves every window
    // open with its port.
    const std::vector<UnitWindow*> children = openChildren();
    // A close asked for from within a child's tick waits until it is over.
    if (std::any_of(children.begin(), children.end(), [](UnitWindow* w) { return w->Timer1.InTick(); })) {
        event->ignore();
        return;
    }
    const QStringList running = UnitWindow::UnitsRunningTests(children);
    if (!running.isEmpty()) {
        ui::MsgBox(runloop::ExitRefusalMessage(running));
        event->ignore();
        return;
    }
    if (!UnitWindow::LeaveOrStoreRowsWaiting(children, runloop::WayOut::CloseWindows)) {
        event->ignore();
        return;
    }
    // Answered for all: no child asks again.
    std::vector<QPointer<UnitWindow>> closing(children.begin(), children.end());
    for (UnitWindow* w : children) w->RowsWaitingAnswered(true);
    mdiArea->closeAllSubWindows();
    for (const QPointer<UnitWindow>& w : closing)
        if (w) w->RowsWaitingAnswered(false);
    const auto subs = mdiArea->subWindowList();
    const bool refused = std::any_of(subs.begin(), subs.end(), [](QMdiSubWindow* s) { return s->isVisible(); });
    if (refused)
        event->ignore();
    else
        event->accept();
}
