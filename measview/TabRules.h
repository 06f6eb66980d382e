#pragma once
// The decisions of the measurement-data tab that need no window: which view
// a result tab shows or why it is refused, what the all button does, how
// many measurements go to the report, and the captions of the array
// summary. The tab's handlers (measview/MeasViewTab.h) act on them.
#include <array>
#include <cstdint>
#include <vector>

class QString;

// UI text keys of the tab.
inline constexpr int UiReportTooMany = 577;
inline constexpr int UiStcCoefMissing = 779;
inline constexpr int UiStcNoModule = 791;
inline constexpr int UiStcMixedModules = 792;
inline constexpr int UiStringFrame = 296;
inline constexpr int UiCustomerFileMissing = 890;

// The most measurements a report takes.
inline constexpr int ReportMaxRows = 20;

// The result tabs of SSTab3.
enum class ResultTab { AsMeasured = 0, PmCorrected = 1, StcCorrected = 2 };

// The UI text key of the message that refuses the STC-corrected view (a
// group coefficient missing first, then a group without a module, then a
// group mixing modules); 0 when the view can be shown.
int StcRefusalKey(bool stcCoefMissing, const std::array<bool, 2>& moduleCompFlags);

// What the all button does to rows 0 to `count` (the total row included):
// true ticks every row (some row is unticked), false unticks every row.
bool TickAllTicks(const std::vector<std::uint8_t>& ticks, int count);

// The number of ticked measurement rows 1 to `count` (the total row not
// counted; flags beyond the end of `ticks` count as unticked).
int TickedMeasurementCount(const std::vector<std::uint8_t>& ticks, int count);

// What the report button does with `ticked` ticked measurements of a
// history of `count`.
enum class ReportHandOver { Nothing, TooMany, Open };
ReportHandOver ReportHandOverFor(int count, int ticked);

// The caption of group g's tab (0 to 9): "01" to "10" when the group has a
// module maker, else empty.
QString GroupTabCaption(const QString& maker, int g);
// A group's rated Pm as the summary shows it: as stored when it reads as a
// number other than 0, else empty.
QString RatedPmCaption(const QString& ratedPm);
