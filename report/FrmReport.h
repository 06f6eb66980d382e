#pragma once
// The report window `FrmReport`: the customer, the construction history
// with its totals and contractors, four site photos (tab 0); ten row slots
// of the report rows with their colour swatches, a scroll bar and the I-V /
// P-V plot (tab 1); the installed equipment of the ten array groups (tab
// 2); the instrument models, the logo and the print and back buttons above.
//
// Opened fresh for every report (report/ReportEntry.h) with the main window
// hidden; the back button and the close box show the main window again.
// Everything it shows comes from report/ReportContents.h and the plot
// engine; the window only lays it out.
#include <QImage>
#include <QWidget>

#include <array>
#include <cstdint>
#include <set>

class QLabel;
class QGroupBox;
class QMenu;
class QPushButton;
class QScrollBar;
class QTabWidget;
class Swatch;
struct PlotModel;

class FrmReport : public QWidget {
  public:
    static constexpr int Slots = 10;
    static constexpr int Groups = 10;
    static constexpr int StringRows = 50;

    // Builds the window (hidden, without owner) and runs its load.
    FrmReport();
    ~FrmReport() override;

    // ---- Procedures and handlers, named as the program names them ----------
    void Form_Load();
    void LanguageInitial();
    // Fills every frame from the shared records and redraws the plot.
    void DataView();
    // The plot of every report row, in its colours (the frame and the curves).
    void WavePlot();
    void VScroll1_Change();
    // The print buttons: 0 the basic and 1 the detailed report, and the
    // curves page. The printed pages come with their own windows.
    void Command1_Click(int index);
    void CmdWavePrint_Click();
    void CmdBack_Click();
    void PicIV_DblClick(int index);
    void PicPV_DblClick(int index);
    void Image1_DblClick();
    // A mouse button pressed on the logo; the right one opens the pop-up
    // menu at `globalPos` when a logo of the user's is stored.
    void Image1_MouseDown(Qt::MouseButton button, QPoint globalPos);
    void MnuPicDelete_Click();
    void Form_QueryUnload(bool& cancel, int unloadMode);

    // The picture the logo shows (the print pages copy it).
    QImage logoPicture() const { return logo; }

    // ---- Form-level fields ------------------------------------------------
    std::int32_t PhotoWidth = 3600;
    std::int32_t PhotoHeight = 2700;
    std::int32_t FirstShownRow = 0;

    // ---- Controls ---------------------------------------------------------
    QLabel* LblReportTitle = nullptr;
    QLabel* LblMeasMachine = nullptr;
    QLabel* Image1 = nullptr; // Image1(0)
    std::array<QPushButton*, 2> Command1{};
    QPushButton* CmdWavePrint = nullptr;
    QPushButton* CmdBack = nullptr;
    QMenu* MnuPicDeleteMenu = nullptr;
    QAction* MnuPicDelete = nullptr;
    QTabWidget* SSTab1 = nullptr;
    QTabWidget* SSTab2 = nullptr;

    // Tab 0.
    QGroupBox* FraData = nullptr;
    QGroupBox* FraJob = nullptr;
    QGroupBox* FraMakers = nullptr;
    std::array<QLabel*, 16> LblData{};
    std::array<QLabel*, 5> LblCompanyName{};
    std::array<QLabel*, 5> LblCompanyTel{};
    std::array<QLabel*, 5> LblCompanyCharge{};
    std::array<QLabel*, 4> ImgPic{};

    // Tab 1: the sixteen columns of the slots, in the order of
    // Report::Column, and their headings (LblTitle 0 to 16, no 12).
    std::array<std::array<QLabel*, Slots>, 16> RowLabels{};
    std::array<QLabel*, 17> LblTitle{};
    QLabel* LblJudgeView = nullptr;
    std::array<QLabel*, 2> LblWaveTitle{};
    std::array<Swatch*, Slots> PicIV{};
    std::array<Swatch*, Slots> PicPV{};
    QScrollBar* VScroll1 = nullptr;
    QLabel* PicWave = nullptr;
    QLabel* LblMeasType = nullptr;

    // Tab 2.
    QGroupBox* FraArray = nullptr;
    QGroupBox* FraRepoExt = nullptr;
    QLabel* LblMeasPmMax = nullptr;
    QLabel* LblExtData = nullptr;
    // Headings: 0 to 18 the data frames, 19 the predicted total Pm, 10g + 20
    // to 10g + 29 those of group g.
    std::array<QLabel*, 120> LblRepoMess{};
    std::array<QGroupBox*, Groups> FraStringSel{};
    std::array<QGroupBox*, Groups> FraGroup{};
    std::array<QGroupBox*, Groups> FraPmCorrect{};
    std::array<QGroupBox*, Groups> FraPowConGroup{};
    std::array<QLabel*, Groups> LblSrMaker{};
    std::array<QLabel*, StringRows> LblSerial{};
    std::array<QLabel*, StringRows> LblCnt{};
    std::array<QLabel*, StringRows> LblCntH{};
    std::array<QLabel*, StringRows> LblSrPm{};
    std::array<QLabel*, StringRows> LblSrVoc{};
    std::array<QLabel*, StringRows> LblSrIsc{};
    std::array<QLabel*, Groups> LblStringPm{};
    std::array<QLabel*, Groups> LblStringTotalPm{};
    std::array<QLabel*, Groups> LblPmTempCorrectTitle{};
    std::array<QLabel*, Groups> LblAlphaTitle{};
    std::array<QLabel*, Groups> LblBetaTitle{};
    std::array<QLabel*, Groups> LblRsTitle{};
    std::array<QLabel*, Groups> LblKTitle{};
    std::array<QLabel*, Groups> LblPmTemp{};
    std::array<QLabel*, Groups> LblAlpha{};
    std::array<QLabel*, Groups> LblBeta{};
    std::array<QLabel*, Groups> LblRs{};
    std::array<QLabel*, Groups> LblK{};
    std::array<QLabel*, Groups> LblPowConNo{};
    std::array<QLabel*, Groups> LblPowConMaker{};
    std::array<QLabel*, Groups> LblPowConSerial{};

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build();
    void buildTop();
    void buildDataTab(QWidget* page);
    void buildMeasTab(QWidget* page);
    void buildEquipmentTab(QWidget* page);
    void buildGroup(QWidget* page, int g);
    void clearContents();
    void fillHeader();
    void fillPhotos(const std::array<QString, 4>& paths);
    void fillEquipment();
    void fillRows();
    void colourSwatches();
    void showLogo(const QImage& picture);
    void placeLogo();

    QImage logo;
    // Photos already reported as unreadable: each is reported once.
    std::set<QString> photoReported;
    // The note on rows left out of the totals was shown.
    bool leftOutReported = false;
};
