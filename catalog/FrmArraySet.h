#pragma once
// The array configuration window `FrmArraySet`: ten groups, one per tab of
// `SSTab1`, each with a module maker, five string rows (model, series and
// parallel count, the model's Pm, Voc and Isc), a group total, five
// correction coefficients, a group number and a power conditioner; below
// them the grand total and a memo on other installed equipment.
//
// The window is loaded once, hidden, and then only shown and hidden; its
// controls are the working copy of the loaded customer's
// ArrayConfiguration, which the customer save reads back by control name
// (objectName "CmbModSel_12", "TxtCnt_12", "LblStringTotalPm_2", ...).
// Setting a list's choice or a count from code runs its handler at once, as
// the user's change does; the figures come from catalog/ArrayDerivation.h.
#include <Qt>
#include <QHash>
#include <QWidget>

#include <array>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

class FrmArraySet : public QWidget {
    Q_OBJECT
  public:
    static constexpr int Groups = 10;
    static constexpr int Rows = 50;

    // Builds the window hidden, owned by `owner`, and loads it.
    explicit FrmArraySet(QWidget* owner = nullptr);
    ~FrmArraySet() override;

    void Form_Load();
    // Sets every caption from the UI texts and disables paste.
    void LanguageInitial();

    // Fills the window from Global::ArrayConfiguration (ShowArraySetData).
    void ShowData();
    // The array button of the customer tab: the grand total of the rows into
    // LblTotalPm, then the window shown over the main window, which hides.
    void Open();

    // ---- Handlers, named as the controls' events ---------------------------
    void CmbMaker_Click(int index);
    void CmbPowConMaker_Click(int index);
    void CmbModSel_Click(int index);
    void TxtCnt_Change(int index);
    void TxtCntH_Change(int index);
    // A key released in a list; only Delete acts.
    void CmbMaker_KeyUp(int index, int keyCode);
    void CmbPowConMaker_KeyUp(int index, int keyCode);
    void CmbNoSel_KeyUp(int index, int keyCode);
    void CmbModSel_KeyUp(int index, int keyCode);
    // Every key pressed in the window, before the control sees it.
    void Form_KeyDown(int keyCode, Qt::KeyboardModifiers modifiers);
    // A close request with its reason (vbFormControlMenu, vbFormCode, ...).
    void Form_QueryUnload(bool& cancel, int unloadMode);
    // 0 save, 1 cancel.
    void CmdBtn_Click(int index);
    // A mouse button released over the tab strip; the right one opens the
    // copy and paste menu at `globalPos`.
    void SSTab1_MouseUp(Qt::MouseButton button, QPoint globalPos);
    // 0 copy, 1 paste the group of the tab shown.
    void MnuCopyPaste_Click(int index);

    // ---- Controls ----------------------------------------------------------
    QTabWidget* SSTab1 = nullptr;
    std::array<QComboBox*, Groups> CmbMaker{};
    std::array<QComboBox*, Groups> CmbNoSel{};
    std::array<QComboBox*, Groups> CmbPowConMaker{};
    std::array<QComboBox*, Groups> CmbPowConSerial{};
    std::array<QLabel*, Groups> LblStringTotalPm{};
    std::array<QLabel*, Groups> LblPmTemp{};
    std::array<QLabel*, Groups> LblAlpha{};
    std::array<QLabel*, Groups> LblBeta{};
    std::array<QLabel*, Groups> LblRs{};
    std::array<QLabel*, Groups> LblK{};
    std::array<QComboBox*, Rows> CmbModSel{};
    std::array<QLineEdit*, Rows> TxtCnt{};
    std::array<QLineEdit*, Rows> TxtCntH{};
    std::array<QLabel*, Rows> LblPm{};
    std::array<QLabel*, Rows> LblVoc{};
    std::array<QLabel*, Rows> LblIsc{};
    QLabel* LblTotalPm = nullptr;
    QPlainTextEdit* TxtExData = nullptr;
    std::array<QPushButton*, 2> CmdBtn{};
    QMenu* MnuCopyPasteMenu = nullptr;
    std::array<QAction*, 2> MnuCopyPaste{};

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build();
    void connectHandlers();
    bool ownsWidget(const QWidget* w) const;
    // The module and power-conditioner makers of the catalogue into every
    // group's maker lists.
    void listCatalogMakers();

    bool isCatalogMaker(int g, int m) const;
    bool isCatalogPowConMaker(int g, int m) const;
    QStringList modelListFor(int g, int m) const;
    QStringList powConModelListFor(int g, int m) const;
    // Empties the counts and figures of row i / the power conditioner of
    // group g (its choices and model list).
    void emptyRow(int i);
    void emptyPowCon(int g);
    void setGroupCoefficientLabels(int g, const QString (&texts)[5]);
    void recomputeTotals();

    // Save, cancel and leaving; false when the customer save refused and the
    // window stays open.
    bool save();
    bool cancel();
    void finish();
    bool pasteStillFits(int t) const;
    void paste(int t);
    void copy(int t);

    // Captions set by LanguageInitial.
    std::array<QGroupBox*, Groups> FraStringSel{};
    std::array<QGroupBox*, Groups> FraArrayModule{};
    std::array<QGroupBox*, Groups> FraCorrect{};
    std::array<QGroupBox*, Groups> FraArrayPowCon{};
    std::array<QLabel*, Groups> LblStringPm{};
    std::array<QLabel*, Groups> LblPmTempCorrectTitle{};
    std::array<QLabel*, Groups> LblAlphaTitle{};
    std::array<QLabel*, Groups> LblBetaTitle{};
    std::array<QLabel*, Groups> LblRsTitle{};
    std::array<QLabel*, Groups> LblKTitle{};
    std::array<QLabel*, 10 * Groups + 1> LblArrayMess{};
    QGroupBox* FraArrayExt = nullptr;

    // The choice each list had when the user began to act on it, to tell a
    // choice of another item from a second choice of the same one.
    QHash<const QComboBox*, int> indexAtUserAction;
};

// The window, created hidden when it does not exist yet; nullptr only when
// something other than this window stands in for it.
FrmArraySet* ArraySetWindow();
