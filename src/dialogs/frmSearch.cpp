#include "dialogs/frmSearch.h"

#include "data/clsConnection.h"
#include "platform/Dialogs.h"
#include "platform/FlexGrid.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
constexpr int kDesignWidth = 800;
constexpr int kDesignHeight = 560;
const int kResultWidths[] = {3000, 2000, 2000, 1500, 3000};
}  // namespace

frmSearch::frmSearch(clsConnection* connection, QWidget* parent)
    : LaidOutDialog(ControlLayout::Unscaled, parent), connection_(connection) {
    setObjectName(QStringLiteral("frmSearch"));
    setWindowTitle(QStringLiteral("Test Search"));
    setModal(true);
    resize(kDesignWidth, kDesignHeight);

    auto label = [&](const QString& name, const QString& text, int y) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        l->setGeometry(12, y, 300, 20);
        return l;
    };
    auto row = [&](const QString& field, const QString& op, const QString& value, int k, int y, QComboBox*& f,
                   QComboBox*& o, QLineEdit*& v) {
        f = new QComboBox(this);
        f->setObjectName(field);
        f->setProperty("Index", k);
        f->setGeometry(12, y, 210, 24);
        o = new QComboBox(this);
        o->setObjectName(op);
        o->setProperty("Index", k);
        o->setGeometry(230, y, 80, 24);
        v = new QLineEdit(this);
        v->setObjectName(value);
        v->setProperty("Index", k);
        v->setGeometry(318, y, 300, 24);
    };

    Label1 = label(QStringLiteral("Label1"), QStringLiteral("TEST INFORMATION :"), 10);
    for (int k = 1; k <= 3; ++k)
        row(QStringLiteral("Combo1"), QStringLiteral("cmbmath1"), QStringLiteral("Text1"), k, 34 + 30 * (k - 1),
            Combo1[k], cmbmath1[k], Text1[k]);
    Label2 = label(QStringLiteral("Label2"), QStringLiteral("TEST ADDITION INFO :"), 128);
    for (int k = 1; k <= 3; ++k)
        row(QStringLiteral("Combo2"), QStringLiteral("cmbmath2"), QStringLiteral("Text2"), k, 152 + 30 * (k - 1),
            Combo2[k], cmbmath2[k], Text2[k]);

    cmdSearch = new QPushButton(QStringLiteral("SEARCH"), this);
    cmdSearch->setObjectName(QStringLiteral("cmdSearch"));
    cmdSearch->setGeometry(650, 34, 130, 30);
    cmdClear = new QPushButton(QStringLiteral("CLEAR"), this);
    cmdClear->setObjectName(QStringLiteral("cmdClear"));
    cmdClear->setGeometry(650, 72, 130, 30);
    Command1 = new QPushButton(QStringLiteral("Cancel && Return"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(650, 110, 130, 30);
    for (QPushButton* b : {cmdSearch, cmdClear, Command1}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    Label3 = label(QStringLiteral("Label3"), QStringLiteral("RESULT LIST :"), 248);
    MSFlexGrid1 = new FlexGrid(this);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setGeometry(12, 270, 776, 278);
    MSFlexGrid1->SelectionMode(1);
    MSFlexGrid1->Cols(5);
    MSFlexGrid1->Rows(1);  // no listed test before the first search

    connect(cmdSearch, &QPushButton::clicked, this, &frmSearch::cmdSearch_Click);
    connect(cmdClear, &QPushButton::clicked, this, &frmSearch::cmdClear_Click);
    connect(Command1, &QPushButton::clicked, this, &frmSearch::Command1_Click);
    connect(MSFlexGrid1, &FlexGrid::DblClick, this, &frmSearch::MSFlexGrid1_DblClick);
    // Enter on a found test chooses it, as a double-click does.
    connect(MSFlexGrid1, &FlexGrid::KeyDown, this, [this](int key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter) MSFlexGrid1_DblClick();
    });

    Form_Load();
}

frmSearch::~frmSearch() = default;

void frmSearch::Form_Load() {
    layout_.Save_Control_Layout();
    Cancelled = true;
    try {
        db::Connection* database = connection_ ? connection_->ADOConnection() : nullptr;
        infoFields_ = search::InfoFieldList(database);
        for (int k = 1; k <= 3; ++k) Combo1[k]->addItems(infoFields_);
        additiveFields_ = search::AdditiveFieldList(database);
        for (int k = 1; k <= 3; ++k) Combo2[k]->addItems(additiveFields_);
        for (int k = 1; k <= 3; ++k) {
            cmbmath1[k]->addItems(search::kOperators);
            cmbmath2[k]->addItems(search::kOperators);
        }
        FlexGridModel& grid = *MSFlexGrid1->gridModel();
        grid.Cols(5);
        for (int c = 0; c < 5; ++c) grid.ColWidth(c, kResultWidths[c]);
        cmdClear_Click();
    } catch (const db::DbError& e) {
        ui::MsgBox(QStringLiteral("ERROR: ") + e.description());
    }
    Cancelled = true;
}

QVector<search::Criterion> frmSearch::InfoCriteria() const {
    QVector<search::Criterion> rows;
    for (int k = 1; k <= 3; ++k) rows.append({Combo1[k]->currentText(), cmbmath1[k]->currentText(), Text1[k]->text()});
    return rows;
}

QVector<search::Criterion> frmSearch::AdditiveCriteria() const {
    QVector<search::Criterion> rows;
    for (int k = 1; k <= 3; ++k) rows.append({Combo2[k]->currentText(), cmbmath2[k]->currentText(), Text2[k]->text()});
    return rows;
}

void frmSearch::cmdClear_Click() {
    for (int k = 1; k <= 3; ++k) {
        for (QComboBox* box : {Combo1[k], Combo2[k], cmbmath1[k], cmbmath2[k]})
            if (box->count() > 0) box->setCurrentIndex(0);
        Text1[k]->clear();
        Text2[k]->clear();
    }
    Cancelled = true;
}

void frmSearch::cmdSearch_Click() {
    FlexGridModel& grid = *MSFlexGrid1->gridModel();
    grid.Rows(1);
    try {
        const search::Statement st =
            search::BuildStatement(infoFields_, additiveFields_, InfoCriteria(), AdditiveCriteria());
        const search::Result result =
            search::Run(connection_ ? connection_->ADOConnection() : nullptr, st);
        if (result.rows.isEmpty()) return;
        for (int i = 0; i < result.captions.size() && i < grid.Cols(); ++i) grid.TextMatrix(0, i, result.captions[i]);
        for (const QStringList& values : result.rows) {
            const int r = grid.Rows();
            grid.Rows(r + 1);
            grid.Row(r);
            for (int i = 0; i < values.size() && i < grid.Cols(); ++i) grid.TextMatrix(r, i, values[i]);
        }
        MSFlexGrid1->WidenColumnsToContents();
    } catch (const db::DbError& e) {
        ui::MsgBox(search::kWrongSearch + e.description());
    }
}

QString frmSearch::ChosenTestName() const {
    const FlexGridModel& grid = *MSFlexGrid1->gridModel();
    if (grid.Row() < 1 || grid.Row() >= grid.Rows()) return QString();
    return grid.TextMatrix(grid.Row(), 0);
}

void frmSearch::MSFlexGrid1_DblClick() {
    // Only a listed test can be chosen: the caption row is not one.
    const FlexGridModel& grid = *MSFlexGrid1->gridModel();
    if (grid.Rows() < 2 || grid.Row() < 1) return;
    Cancelled = false;
    hide();
}

void frmSearch::Command1_Click() {
    Cancelled = true;
    hide();
}

