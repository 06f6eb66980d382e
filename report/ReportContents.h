#pragma once
// What a report says, as plain code: which measurements are its rows, the
// texts of each row by instrument model and version, the three totals, the
// list of instrument models, the customer, history, contractor and
// equipment texts, and the site photos fitted into their frames. The report
// window and the printed pages only lay these out.
//
// The report rows are the ticked elements 0 to MeasFileCount of the shown
// view, in index order; report row q takes the colour pair q. Element 0, the
// total of the ticked measurements, is a row when it is ticked, but never
// counts in the totals.
#include "customers/CustomerRecords.h"
#include "instrument/MeasRecord.h"
#include "platform/AppError.h"

#include <QImage>
#include <QSizeF>
#include <QString>

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace Report {

// Row slots of the report window, rows of a printed page.
inline constexpr int WindowSlots = 10;
inline constexpr int PageRows = 20;

// The sixteen columns of a report row, in the order the row is filled.
enum Column : int {
    Date,
    Time,
    Code,
    Point,
    Pm,
    Voc,
    Isc,
    FF,
    CellT,
    OutT,
    E,
    Dust,
    Deg,
    Capa,
    DataMeas,
    DataJudge,
    ColumnCount
};

// UI text keys the contents use.
inline constexpr int UiDirtNone = 511;
inline constexpr int UiDirtSome = 512;
inline constexpr int UiModelListFirmwareShared = 570;
inline constexpr int UiModelListHead = 940;
inline constexpr int UiJudgeGood = 580;
inline constexpr int UiJudgeCaution = 581;
inline constexpr int UiJudgePoor = 582;

// The head of the note on rows left out of the totals (no language file has
// a text for it).
inline const QString LeftOutOfTotals =
    QStringLiteral("These rows have no Pm value and are left out of the report's totals:");

} // namespace Report

// ---- Rows ------------------------------------------------------------------

// The record indexes of the report rows: the elements 0 to measFileCount
// whose tick is 1, in ascending order (entry q is report row q).
std::vector<int> ReportRows(int measFileCount, const std::vector<std::uint8_t>& ticks);

// The texts of one report row, by Report::Column. `judgementOn` is the
// judgement display of the measurement list (ChkJudgeOff unticked); while it
// is off the three judgement columns are empty.
using ReportRowTexts = std::array<QString, Report::ColumnCount>;
ReportRowTexts ReportRowTextsOf(const MeasRecord& r, bool judgementOn);

struct ReportRow {
    int record = 0; // index in the view
    int row = 0;    // report row number q (its colour pair)
    ReportRowTexts cells;
};

// The report rows `firstRow` to `firstRow` + `maxRows` - 1 of the view (the
// report window's ten slots from its scroll position, a printed page's
// twenty rows from 0), with their texts. Rows past the last report row are
// not in the result.
std::vector<ReportRow> ReportRowsShown(const std::vector<MeasRecord>& view, int measFileCount,
                                       const std::vector<std::uint8_t>& ticks, int firstRow, int maxRows,
                                       bool judgementOn);

// ---- Totals ----------------------------------------------------------------

// The report's totals over the ticked measurements 1 to measFileCount (the
// total element 0 never counts): the Pm total of the Pms rounded to whole
// watts, the mean of the Vocs rounded to whole volts, the total of the Iscs
// rounded to tenths of an ampere. The texts are the plain decimal forms
// (ReportPmTotal, ReportVocMean, ReportIscTotal); with no measurement
// counted all three are empty. A measurement whose Pm is no number ("--" in
// a corrected view it cannot be corrected in, an instrument's "ERR") is left
// out of every total and of the count, and listed in `leftOut`.
struct ReportTotals {
    int count = 0;
    std::vector<int> leftOut; // record indexes, ascending
    double pmSum = 0;
    double vocSum = 0;
    double iscSum = 0;
    QString pmTotal;
    QString vocMean;
    QString iscTotal;
};
ReportTotals ReportTotalsOf(const std::vector<MeasRecord>& view, int measFileCount,
                            const std::vector<std::uint8_t>& ticks);

// What the report says once when rows were left out of its totals: the
// message and the date, time and number of each such row.
QString LeftOutMessage(const std::vector<MeasRecord>& view, const std::vector<int>& leftOut);

// The totals as the report shows them: the Pm total as a whole number; the
// Voc mean and the Isc total with one and three decimals when `version` (F42
// of the history's first measurement) is 8 or more, else with none and two.
// Empty texts show as 0 in these formats.
struct ReportTotalTexts {
    QString pm;
    QString voc;
    QString isc;
};
ReportTotalTexts ShownTotals(const QString& pmTotal, const QString& vocMean, const QString& iscTotal,
                             const QString& version);
// The totals as the report window and the printed page show them: each by
// ShownTotals, a total that is empty (no ticked measurement) staying empty.
ReportTotalTexts ReportTotalLabels(const QString& pmTotal, const QString& vocMean, const QString& iscTotal,
                                   const QString& version);
// F42 of element 1 of the view, ticked or not (empty when there is none).
QString FirstMeasurementVersion(const std::vector<MeasRecord>& view);

// ---- Instrument models -----------------------------------------------------

// Rows counted by the code of the first character of their model code F40
// (its code page 932 code; a double-byte character has a code above 255).
using ModelCounts = std::map<int, int>;
// Counts `f40` (an empty code counts nothing).
void CountModel(ModelCounts& counts, const QString& f40);
// The model name of a code, empty when the code names no model.
QString ModelName(int code);
// `head`, then per counted code in ascending order its model name or "--"
// for a code without one, each followed by one blank; one trailing blank is
// then removed.
QString ModelListText(const ModelCounts& counts, const QString& head);
// The head of the list: UI text 940, or UI text 570 when a language file
// has none (570 is also the firmware transfer's refusal message).
QString ModelListHead();
// The list of the models of `rows`.
QString ModelListOf(const std::vector<ReportRow>& rows, const std::vector<MeasRecord>& view);

// ---- Header ----------------------------------------------------------------

// The customer, construction-history and contractor texts, unchanged from
// the loaded customer's records. A history index outside the table (none
// chosen) gives the customer's fields with an empty history, empty
// contractors and no photos.
struct ReportHeader {
    // LblData 0 to 9: code, name, reading, site, postal code, address,
    // phone 1, phone 2, mail, registration date.
    std::array<QString, 10> customer;
    bool historyChosen = false;
    QString measDate;    // LblData 10
    QString historyName; // LblData 11
    QString memo;        // LblData 15
    // Contractor c: name, telephone, person in charge.
    std::array<std::array<QString, 3>, Customer::ContractorCount> contractors;
    std::array<QString, Customer::PictureSlots> photoPaths;
};
ReportHeader ReportHeaderOf(int historyIndex);

// ---- Installed equipment ---------------------------------------------------

struct ReportStringRowTexts {
    QString model;
    QString series;
    QString parallel;
    QString pm;
    QString voc;
    QString isc;
};
struct ReportGroupTexts {
    QString maker;
    std::array<ReportStringRowTexts, Customer::RowsPerGroup> rows;
    QString powConNo;
    QString powConMaker;
    QString powConModel;
    // Empty when its value is 0 (or it is no number).
    QString ratedPm;
    QString pmTempCoef;
    QString alpha;
    QString beta;
    QString rs;
    QString k;
};
struct ReportEquipment {
    QString totalPm;
    QString extMemo;
    std::array<ReportGroupTexts, Customer::GroupCount> groups;
};
ReportEquipment ReportEquipmentOf(const ArrayConfigurationType& a);

// ---- Site photos -----------------------------------------------------------

// A site photo fitted into a frame: the picture and the size it is shown at
// in twips (its own size at `dpi`, shrunk in proportion to fit the frame,
// never enlarged), or no picture at frame size. A path that is empty, too
// long or names no file gives no picture and no error; a file that is no
// loadable picture gives no picture and its error.
struct ReportPhoto {
    QImage image;
    QSizeF sizeTwips;
    std::optional<AppError> error;
};
ReportPhoto LoadReportPhoto(const QString& path, QSizeF frameTwips, double dpiX, double dpiY);

// ---- What the main window tells the report ---------------------------------

// The history chosen on the measurement-data tab (CmbHistorySel_0), -1 for none.
int ReportHistoryIndex();
// The judgement display is on (ChkJudgeOff unticked).
bool ReportJudgementOn();
// The P-V view is on (ChkPV_VIEW ticked; greyed counts as off).
bool ReportPvView();
// The result view shown (SSTab3): 0 as measured, 1 Pm-corrected, 2
// STC-corrected, -1 when there is no such control.
int ReportResultView();
// The name of a result view: UI text 505, 506 or 508; empty for another view.
QString ReportViewName(int view);
