#pragma once
// The splash window shown while the main window loads: the program's
// picture, version, title, UI text 510 and the loading note (UI text 776).
// A key press in it or a click on its frame closes it early.
#include <QDialog>

class QFrame;
class QLabel;

class frmSplash : public QDialog {
    Q_OBJECT
  public:
    frmSplash();
    // Fills the labels.
    void Form_Load();

    QLabel* Image1;
    QLabel* lblVersion;
    QLabel* lblProductName;
    QLabel* lblCompanyProduct;
    QFrame* Frame1;
    QLabel* LblLoadingMess;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};
