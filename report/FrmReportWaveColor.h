#pragma once
// The curve colour dialog `FrmReportWaveColor`: the I-V and P-V colour of
// report rows 1 to 20 as swatches; a double-click on a swatch chooses its
// colour, OK keeps and stores all twenty pairs, Cancel drops the choices.
// Modal over the report window, loaded afresh at every opening.
#include <QDialog>

#include <array>

class QLabel;
class QPushButton;
class Swatch;

class FrmReportWaveColor : public QDialog {
  public:
    static constexpr int Rows = 20;

    // Builds and loads the dialog (captions and the colours in memory).
    explicit FrmReportWaveColor(QWidget* owner);

    void Form_Load();
    // Index 0 to 19: row 1 to 20.
    void PivIV_DblClick(int index);
    void PivPV_DblClick(int index);
    void OKButton_Click();
    void CancelButton_Click();
    void Form_QueryUnload(bool& cancel, int unloadMode);

    // Label1 0 to 9 rows 1 to 10, 10 the I-V and 11 the P-V heading, 12 to
    // 21 rows 11 to 20.
    std::array<QLabel*, 22> Label1{};
    std::array<Swatch*, Rows> PivPV{};
    std::array<Swatch*, Rows> PivIV{};
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    void chooseInto(Swatch* swatch);
};
