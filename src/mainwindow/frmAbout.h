#pragma once
// The About box: a picture, the program's name and version, and OK.

#include <QDialog>

class QLabel;
class QPushButton;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    QLabel* picIcon;
    QLabel* lblTitle;
    QLabel* lblVersion;
    QPushButton* Command1;

public slots:
    void Command1_Click();
};
