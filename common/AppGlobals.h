#pragma once
// Shared state of the application shell. All shared state of the program
// lives in namespace Global (see common/Global.h), spread over one header per
// subsystem so that each keeps its own.
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

namespace Global {

// The UI text table: key = line number of the language file in use.
inline constexpr int UiTextCount = 1000;
inline QStringList UiText = QStringList(UiTextCount);

// Language files found at start-up.
inline constexpr int MaxLanguageFiles = 101;
inline QString LanguageFolder;
inline std::array<QString, MaxLanguageFiles> LanguageFiles;
inline std::array<std::array<QString, 2>, MaxLanguageFiles> LanguageList;
inline std::int32_t LanguageCount = 0;

// Customer list sort, from the settings.
inline std::int32_t SortColumn = 0;
inline std::int32_t SortDirection = 0;

// The data folder: root of USER_DATA, MODULE_DATA, POWER_CONDITIONER_DATA,
// FORWARD_DATA and BACKUP_DATA.
inline QString DataFolder;

// Instrument hand-over of the start-up firmware check.
inline std::uint8_t InstrumentFamily = 0; // 1 KRX, 0 QTM
inline QString FirmwareFilePath;
inline bool FirmwareWizardActive = false;

// Characters per instrument record of the read-out (1120 or 1184).
inline std::int32_t RecordSize = 1184;

// Unsaved-edit flags of the four main tabs.
inline std::array<bool, 4> TabModified{};
// True while the caption set-up runs.
inline bool CaptionsLoading = false;
// Which list grid has the mouse-wheel hook (0: none yet).
inline std::uint8_t HookedGrid = 0;
// True while the tab switch shows a page only for the time of a save
// question: entering it then prepares nothing (a customer being asked about
// is not read again over its unsaved edits).
inline bool TabShownForQuestion = false;

// Text of the timed message window.
inline QString MessWindowText;

// The report's curve colours (0x00BBGGRR): (0, q) P-V and (1, q) I-V of row q + 1.
inline std::array<std::array<std::uint32_t, 20>, 2> CurveColors{};

} // namespace Global
