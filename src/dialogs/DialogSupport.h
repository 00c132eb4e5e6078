#pragma once
// What the dialogs share: a window placed inside the screen (the dialogs, the
// calibration window and the sequence editor), the list and name box of the
// two test choosers, and the controls and number check of the two test
// information dialogs.

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVector>
#include <array>

namespace testinfo {
struct AdditiveRow;
}

class FlexGrid;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace dialogsupport {

// ---- Placing windows on the screen ----------------------------------------
// Windows open inside the screen's available area (the screen less its task
// bars and docks), whole when they fit.

// The window's frame `window` moved, not resized, the least way that brings
// it inside `area`; a window wider (taller) than the area starts at its left
// (top) edge, so that its title bar and its top left controls stay reachable.
QRect PlaceInside(const QRect& window, const QRect& area);
// A frame of `size` centred in `area`, then kept inside it as above.
QRect CentreIn(const QSize& size, const QRect& area);
// The available area of the window's screen (the primary screen when it has
// none yet); empty when there is no screen.
QRect AvailableArea(const QWidget* window);

// Centres the window in the available area of its screen, inside it; a
// window larger than the area is first made as large as the area (its
// controls follow its size), so that no control lies outside the screen.
void CentreOnScreen(QWidget* window);
// Moves the window, as little as needed, inside the available area of its
// screen (nothing when it lies inside already).
void KeepOnScreen(QWidget* window);

// The controls of a test chooser (the open-test dialog, the overlap chooser)
// on a 600 x 420 design: the caption over the list, the list of stored tests
// (whole rows selected, captions wrapped), the caption over the name box, the
// name box, OK and Cancel (neither takes Enter for itself).
struct NameChooserControls {
    QLabel* Label1;
    FlexGrid* MSFlexGrid1;
    QLabel* Label2;
    QLineEdit* txtSeqName;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;
};
NameChooserControls BuildNameChooser(QWidget* dialog, const QString& listCaption, const QString& nameCaption);

// The list row a chooser's name box chooses. Test names are not unique: the
// current row (the one clicked) when it holds the name, otherwise the first
// row that does; names are compared whole, without regard to letter case.
// 0 when the name box is empty or no row holds the name. `listedNames` holds
// the name of list row r at r - 1.
int ChosenRow(const QString& nameBox, const QStringList& listedNames, int currentRow);

// The Label1 control array of the test information dialogs (elements 0 to 17).
using Label1Array = std::array<QLabel*, 18>;
// Element `index` of the array: a label named "Label1" with its element number
// in the property "Index", 20 high.
QLabel* Label1Element(QWidget* dialog, Label1Array& array, int index, const QString& text, int x, int y, int w);
// A text box of the dialog, 24 high.
QLineEdit* TextBox(QWidget* dialog, const QString& name, int x, int y, int w);

// The left column both test information dialogs share: test name, fluid,
// researcher, test date, the description and the additive grid, with their
// labels (Label1 elements 0, 5, 4, 17, 3 and 2).
struct InfoColumnControls {
    QLineEdit* txtTestName;
    QLineEdit* txtFluidId;
    QLineEdit* txtResearchName;
    QLineEdit* txtTestDate;
    QPlainTextEdit* txtSAFETY;
    FlexGrid* MSFlexGrid1;
};
InfoColumnControls BuildInfoColumn(QWidget* dialog, Label1Array& label1, const QString& descriptionCaption,
                                   const QString& additivesCaption, int gridHeight);

// The number check of a test information dialog's OK (testinfo::NumberCheck):
// its value boxes read with their Label1 captions (elements 8, 1, 10, 14 and
// 9), the kind from `bobNo`, the additives to store. A box that holds no
// number is said, named, and given the focus; true then, and the dialog
// stays as it is.
bool InfoNumberRefused(QWidget* dialog, const Label1Array& label1, const QString& bobNo,
                       const QVector<testinfo::AdditiveRow>& additives);

}  // namespace dialogsupport
