#include "dialogs/DialogSupport.h"

#include "dialogs/TestInfoRules.h"
#include "platform/Dialogs.h"
#include "platform/FlexGrid.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

namespace dialogsupport {

namespace {
// The room a window's title bar and borders are given before it has them.
const QSize kFrameRoom(8, 36);
}  // namespace

QRect PlaceInside(const QRect& window, const QRect& area) {
    if (!area.isValid()) return window;
    // One axis: the start that brings [start, start + length) inside
    // [low, low + span), the least move; the low edge when it cannot fit.
    auto inside = [](int start, int length, int low, int span) {
        if (length >= span) return low;
        if (start < low) return low;
        if (start + length > low + span) return low + span - length;
        return start;
    };
    QRect placed = window;
    placed.moveTo(inside(window.x(), window.width(), area.x(), area.width()),
                  inside(window.y(), window.height(), area.y(), area.height()));
    return placed;
}

QRect CentreIn(const QSize& size, const QRect& area) {
    const QRect centred(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2,
                        size.width(), size.height());
    return PlaceInside(centred, area);
}

QRect AvailableArea(const QWidget* window) {
    const QScreen* screen = window && window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

void CentreOnScreen(QWidget* window) {
    const QRect area = AvailableArea(window);
    if (!area.isValid()) return;
    // The frame (title bar and borders) counts once the window has one.
    QRect frame = window->frameGeometry();
    // A window larger than the area is made as large as the area first. One
    // not shown yet has no frame: room is left for a title bar and borders.
    QSize decoration = frame.size() - window->size();
    if (decoration.isNull()) decoration = kFrameRoom;
    const QSize room = (area.size() - decoration).expandedTo(QSize(1, 1));
    if (window->width() > room.width() || window->height() > room.height()) {
        window->resize(window->size().boundedTo(room));
        frame = window->frameGeometry();
    }
    window->move(CentreIn(frame.size(), area).topLeft());
}

void KeepOnScreen(QWidget* window) {
    const QRect area = AvailableArea(window);
    if (!area.isValid()) return;
    const QRect frame = window->frameGeometry();
    const QRect placed = PlaceInside(frame, area);
    if (placed.topLeft() != frame.topLeft()) window->move(placed.topLeft());
}

NameChooserControls BuildNameChooser(QWidget* dialog, const QString& listCaption, const QString& nameCaption) {
    NameChooserControls c;
    c.Label1 = new QLabel(listCaption, dialog);
    c.Label1->setObjectName(QStringLiteral("Label1"));
    c.Label1->setGeometry(12, 8, 300, 20);
    c.MSFlexGrid1 = new FlexGrid(dialog);
    c.MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    c.MSFlexGrid1->setGeometry(12, 30, 576, 270);
    c.MSFlexGrid1->SelectionMode(1);  // whole rows
    c.MSFlexGrid1->WordWrap(true);     // the two-line captions show in full
    c.MSFlexGrid1->AllowUserResizing(1);  // the operator may widen a column
    c.Label2 = new QLabel(nameCaption, dialog);
    c.Label2->setObjectName(QStringLiteral("Label2"));
    c.Label2->setGeometry(12, 310, 300, 20);
    c.txtSeqName = new QLineEdit(dialog);
    c.txtSeqName->setObjectName(QStringLiteral("txtSeqName"));
    c.txtSeqName->setGeometry(12, 332, 300, 24);
    c.cmdOk = new QPushButton(QStringLiteral("&OK"), dialog);
    c.cmdOk->setObjectName(QStringLiteral("cmdOk"));
    c.cmdOk->setGeometry(336, 330, 120, 28);
    c.cmdCancel = new QPushButton(QStringLiteral("&Cancel"), dialog);
    c.cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    c.cmdCancel->setGeometry(468, 330, 120, 28);
    for (QPushButton* b : {c.cmdOk, c.cmdCancel}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    return c;
}

QLabel* Label1Element(QWidget* dialog, Label1Array& array, int index, const QString& text, int x, int y, int w) {
    auto* l = new QLabel(text, dialog);
    l->setObjectName(QStringLiteral("Label1"));
    l->setProperty("Index", index);
    l->setGeometry(x, y, w, 20);
    array[std::size_t(index)] = l;
    return l;
}

QLineEdit* TextBox(QWidget* dialog, const QString& name, int x, int y, int w) {
    auto* t = new QLineEdit(dialog);
    t->setObjectName(name);
    t->setGeometry(x, y, w, 24);
    return t;
}

InfoColumnControls BuildInfoColumn(QWidget* dialog, Label1Array& label1, const QString& descriptionCaption,
                                   const QString& additivesCaption, int gridHeight) {
    InfoColumnControls c;
    Label1Element(dialog, label1, 0, QStringLiteral("Test Name:"), 12, 14, 140);
    c.txtTestName = TextBox(dialog, QStringLiteral("txtTestName"), 156, 12, 300);
    Label1Element(dialog, label1, 5, QStringLiteral("Fluid ID:"), 12, 46, 140);
    c.txtFluidId = TextBox(dialog, QStringLiteral("txtFluidId"), 156, 44, 300);
    Label1Element(dialog, label1, 4, QStringLiteral("Researcher's Name:"), 12, 78, 140);
    c.txtResearchName = TextBox(dialog, QStringLiteral("txtResearchName"), 156, 76, 300);
    Label1Element(dialog, label1, 17, QStringLiteral("Test Date:"), 12, 110, 140);
    c.txtTestDate = TextBox(dialog, QStringLiteral("txtTestDate"), 156, 108, 140);
    Label1Element(dialog, label1, 3, descriptionCaption, 12, 142, 460);
    c.txtSAFETY = new QPlainTextEdit(dialog);
    c.txtSAFETY->setObjectName(QStringLiteral("txtSAFETY"));
    c.txtSAFETY->setGeometry(12, 164, 470, 72);
    c.txtSAFETY->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    c.txtSAFETY->setTabChangesFocus(true);
    Label1Element(dialog, label1, 2, additivesCaption, 12, 246, 460);
    c.MSFlexGrid1 = new FlexGrid(dialog);
    c.MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    c.MSFlexGrid1->setGeometry(12, 268, 470, gridHeight);
    return c;
}

int ChosenRow(const QString& nameBox, const QStringList& listedNames, int currentRow) {
    if (nameBox.isEmpty()) return 0;
    const auto holdsName = [&](int row) {
        return row >= 1 && row <= listedNames.size() &&
               listedNames[row - 1].compare(nameBox, Qt::CaseInsensitive) == 0;
    };
    if (holdsName(currentRow)) return currentRow;
    for (int row = 1; row <= listedNames.size(); ++row)
        if (holdsName(row)) return row;
    return 0;
}

bool InfoNumberRefused(QWidget* dialog, const Label1Array& label1, const QString& bobNo,
                       const QVector<testinfo::AdditiveRow>& additives) {
    QVector<testinfo::InfoBox> boxes;
    const struct {
        const char* name;
        int label;
    } values[] = {{"txtBobRadius", 8}, {"txtBobLength", 1}, {"txtPreTestPH", 10}, {"txtRotoNo", 14}, {"txtPostTestPH", 9}};
    for (const auto& v : values) {
        const auto* box = dialog->findChild<QLineEdit*>(QLatin1String(v.name));
        const QLabel* caption = label1[size_t(v.label)];
        if (!box || !caption) continue;
        boxes.append({box->objectName(), caption->text(), box->text(), !box->isHidden() && box->isEnabled()});
    }
    const auto refused = testinfo::NumberCheck(bobNo, boxes, additives);
    if (!refused) return false;
    ui::MsgBox(refused->message);
    if (auto* box = dialog->findChild<QLineEdit*>(refused->objectName); box && !refused->objectName.isEmpty())
        box->setFocus();
    return true;
}

}  // namespace dialogsupport
