#pragma once
// The customer sort dialog: the column and direction the customer list is
// sorted by, a re-sort of the list on request, and the two settings values
// SortCol and SortContition that keep the choice for the next start.
#include <QDialog>
#include <QPointer>

class QGroupBox;
class QPushButton;
class QRadioButton;

class FrmCustomerSort : public QDialog {
    Q_OBJECT
  public:
    // Loads the dialog (owned by the main window) and shows it modal; the
    // call returns at once.
    static FrmCustomerSort* Open();
    // The dialog while it is loaded, else nullptr.
    static FrmCustomerSort* Loaded();

    void Form_Load();
    void LanguageInitial();
    void Op1_Click(int index);
    void Op2_Click(int index);
    // 0 sorts and stores the choice, 1 closes.
    void CmdBtn_Click(int index);

    QGroupBox* FraObject = nullptr;
    QGroupBox* FraCondition = nullptr;
    QRadioButton* Op1[5] = {};
    QRadioButton* Op2[2] = {};
    QPushButton* CmdBtn[2] = {};

  private:
    explicit FrmCustomerSort(QWidget* owner);
};

namespace Global {
// The customer sort dialog while it is loaded.
inline QPointer<FrmCustomerSort> CustomerSortForm;
} // namespace Global

bool FrmCustomerSortIsLoaded();
void FrmCustomerSortUnload();
