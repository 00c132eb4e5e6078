#include "dialogs/frmNameSeq.h"

#include "platform/TrapErrors.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>

frmNameSeq::frmNameSeq(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmNameSeq"));
    setWindowTitle(QStringLiteral("Select Sequence"));
    setModal(false);
    resize(300, 320);

    Label1 = new QLabel(QStringLiteral("Select a test sequence:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(12, 10, 276, 20);
    lstSeqName = new QListWidget(this);
    lstSeqName->setObjectName(QStringLiteral("lstSeqName"));
    lstSeqName->setSelectionMode(QAbstractItemView::SingleSelection);
    lstSeqName->setGeometry(12, 34, 276, 230);
    cmdOk = new QPushButton(QStringLiteral("&OK"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setGeometry(40, 276, 100, 30);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(160, 276, 100, 30);

    connect(cmdOk, &QPushButton::clicked, this, &frmNameSeq::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmNameSeq::cmdCancel_Click);
}

QString frmNameSeq::SelectedText() const {
    const QListWidgetItem* item = lstSeqName->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void frmNameSeq::ListNames(const RowCache& names, int rowCount) {
    lstSeqName->clear();
    const int count = names.isEmpty() ? 0 : std::min(rowCount, int(names[0].size()));
    for (int i = 0; i < count; ++i) lstSeqName->addItem(names[0][i].toString());
    if (count > 0) lstSeqName->setCurrentRow(0);
}

void frmNameSeq::cmdOk_Click() { emit SelectedTestName(); }

void frmNameSeq::cmdCancel_Click() { hide(); }

frmNameSeq* frmNameSeq::Open(QWidget* owner, QPointer<frmNameSeq>& current, const std::function<void()>& selected) {
    if (current) disconnect(current, nullptr, owner, nullptr);
    current = new frmNameSeq(owner);
    connect(current, &frmNameSeq::SelectedTestName, owner, [selected] { TrapErrors(selected); });
    return current;
}

QString frmNameSeq::TakeSelection(QPointer<frmNameSeq>& current) {
    frmNameSeq* picker = current;
    current = nullptr;
    const QString selected = picker->SelectedText();
    picker->hide();
    picker->deleteLater();
    return selected;
}
