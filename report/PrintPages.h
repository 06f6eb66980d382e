#pragma once
// The three printed pages as page models (report/PrintPage.h), filled by
// plain code from the same report contents as the report window: the report
// page (page 1 of the basic and the detailed report, A4 portrait), the
// installed-equipment page (page 2 of the detailed report, A4 portrait) and
// the curves page (A4 landscape). Each print builds its page afresh and
// drops it once printed.
#include "instrument/MeasRecord.h"
#include "report/PrintPage.h"

#include <QDate>
#include <QImage>
#include <QLocale>
#include <QString>

#include <cstdint>
#include <vector>

// What a page is filled from besides the loaded customer's records.
struct PrintInputs {
    std::vector<MeasRecord> view; // the shown view, element 0 the total
    int measFileCount = 0;
    std::vector<std::uint8_t> ticks;
    bool judgementOn = true; // ChkJudgeOff unticked
    bool pvView = false;     // ChkPV_VIEW ticked
    int resultView = 0;      // SSTab3: 0 as measured, 1 Pm-, 2 STC-corrected
    int historyIndex = -1;   // CmbHistorySel_0
    // The totals the report window computed (ReportPmTotal, ...).
    QString pmTotal;
    QString vocMean;
    QString iscTotal;
    QImage logo;
    QDate date;
    QLocale locale; // its date separator goes into the print date
};

// The inputs as the program holds them now: the shared records, the main
// window's controls and the report window's logo.
PrintInputs CurrentPrintInputs();

// The print date: UI text `key`, ":" and the date as year, month and day
// (four, two and two digits) joined by the locale's date separator.
QString PrintDateText(int key, const QDate& date, const QLocale& locale);
// The separator of the locale's short date format ("/" when it has none).
QChar DateSeparator(const QLocale& locale);

// The page labels: UI text 375 and ":1/1" (basic), ":1/2" (detailed), and
// UI text 412 and ":2/2" (the detailed report's second page).
QString ReportPageLabel(bool detailed);
QString EquipmentPageLabel();

// The pages. The report page and the curves page hold the first 20 report
// rows and draw their curves over a scale of every report row.
PageModel PrintReportPage(const PrintInputs& in, const QString& pageLabel);
PageModel PrintEquipmentPage(const PrintInputs& in, const QString& pageLabel);
PageModel PrintWavePage(const PrintInputs& in);
