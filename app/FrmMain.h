#pragma once
// The program's main window: a menu bar and the main tab control `SSTab`
// with the customer, measurement-data, instrument-data and catalogue tabs.
// Every control carries its control name as objectName (element N of a
// control array: "Name_N"), and the code of each tab finds it by that name:
//   MainControl<QLineEdit>("TxtIn_11")  (common/Controls.h), which the
// subsystems use; the window registers every control there as it builds it.
// Text boxes are QLineEdit, memos QPlainTextEdit (TxtIn_10, _12, _33, _57),
// list grids FlexGrid, picture boxes QLabel, frames QGroupBox, tab controls
// QTabWidget, menu items QAction, menus QMenu.
#include "common/Version.h"
#include "common/FrmMessWindow.h" // close reasons
#include "app/Global.h"
#include "common/Controls.h"
#include "common/EditKeys.h"

#include <QHash>
#include <QPointer>
#include <QMainWindow>

class FlexGrid;
class QAction;
class QKeyEvent;
class QMenu;
class QTabWidget;

class QGridLayout;

class FrmMain : public QMainWindow {
    Q_OBJECT
  public:
    explicit FrmMain(QWidget* parent = nullptr);
    ~FrmMain() override;

    // A control by its name (nullptr when there is none of that type).
    QObject* controlObject(const QString& name) const;
    template <class T = QWidget> T* control(const QString& name) const
    {
        return qobject_cast<T*>(controlObject(name));
    }
    // Every named control, for walks over the window.
    const QHash<QString, QObject*>& controls() const { return named; }

    // Load: picture frames, caption set-up (or the initial state alone),
    // curve colours, position. Errors end it with the report "Form_Load".
    void Form_Load();
    // Title, catalogues, lists, first tabs, wheel hook.
    void FormInitial();
    // Reloads the UI text table from language `index` and sets every caption
    // of the window (app/Captions.cpp).
    void LanguageSetup(int index);

    // Close request with its reason (vbFormControlMenu, vbFormCode, ...).
    void Form_QueryUnload(bool& cancel, int unloadMode);
    void MnuEnd_Click();
    // The save questions of unsaved customer and catalogue-model edits;
    // false when a save the user asked for did not go through.
    bool SaveQuestions();

    // The key rule for the unsaved-edit flags: sees every key pressed in
    // this window before the control that has the focus.
    void Form_KeyDown(const QKeyEvent& key);
    void MfgUserList_MouseMove(QPoint pos);

    // Main tab switch (app/TabSwitch.cpp).
    void SSTab_Click(int previousTab);
    // The question about unsaved catalogue edits, asked when the catalogue
    // page shown has a model selected; Yes registers that model. `failed`
    // tells whether a registration asked for did not go through.
    void CatalogSaveQuestion(bool* failed = nullptr);
    // Moves the wheel hook to the list of the tab shown.
    void TabGridHook();
    void TabGridUnhook();

    // The controls the frame itself works with.
    QTabWidget* SSTab = nullptr;
    QTabWidget* SSTab1 = nullptr;
    QTabWidget* SSTab2 = nullptr;
    QTabWidget* SSTab3 = nullptr;
    FlexGrid* MfgUserList = nullptr;
    FlexGrid* MfgMeasList = nullptr;
    FlexGrid* MfgForwardList = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void addCustomerChoice(QGridLayout* grid, QWidget* page, int index, int firstRow);
    template <class T> T* reg(T* object)
    {
        named.insert(object->objectName(), object);
        RegisterMainControl(object);
        return object;
    }
    QAction* addAction(const QString& name, QMenu* menu);
    void buildMenus();
    void buildCustomerTab(QWidget* page);
    void buildMeasTab(QWidget* page);
    void buildForwardTab(QWidget* page);
    void buildCatalogTab(QWidget* page);
    void buildModulePage(QWidget* page);
    void buildPowConPage(QWidget* page);
    void connectHandlers();
    void watchEdits(QWidget* page, int tab);
    void moveMeasListInto(int view);
    // The preparation of each tab the switch enters.
    void EnterCustomerTab();
    void EnterMeasurementTab(int tab);
    void EnterCatalogTab();
    // The three closing steps; true when the program is to end.
    bool EndQuestions();

    QHash<QString, QObject*> named;
    QWidget* measListTop = nullptr;  // judgement switch and "All", shared by the views
    QWidget* measListArea = nullptr; // the measurement list, shared by the views
};

namespace Global {
// The main window once it exists.
inline QPointer<FrmMain> MainForm;
} // namespace Global

