#pragma once
// Shared state of this subsystem, in namespace Global (see app/Global.h).
#include <QPointer>
#include <QString>

#include <cstdint>

class FrmReport;

namespace Global {

// The hand-over to the report window: the number of ticked measurements it
// shows (1 to 20), set by the report button of the measurement-data tab, and
// the report's Pm total, Voc mean and Isc total, emptied there and computed
// by the report window from its rows.
inline std::int32_t ReportCount = 0;
inline QString ReportPmTotal;
inline QString ReportVocMean;
inline QString ReportIscTotal;

// The report window while it is loaded (null once it is unloaded).
inline QPointer<FrmReport> ReportForm;

} // namespace Global
