#pragma once
// The program's settings: the current user's store, under the program's own
// key. Each call opens the store, does its one read or write and closes it
// again; nothing is cached.
#include <QString>
#include <QVariant>

#include <cstdint>

// The key paths every caller uses.
inline const QString RegKeySystem = QStringLiteral("Tolvane\\Heliodex\\System");
inline const QString RegKeyColorPV = QStringLiteral("Tolvane\\Heliodex\\System\\Report\\Color\\PV");
inline const QString RegKeyColorIV = QStringLiteral("Tolvane\\Heliodex\\System\\Report\\Color\\IV");

inline constexpr int HKEY_CURRENT_USER = 1;
inline constexpr int REG_SZ = 1;
inline constexpr int REG_DWORD = 4;

// Texts count code page 932 bytes; a text of 256 bytes or more cannot be
// read back, so RegStrSet refuses it and returns false.
bool RegStrSet(const QString& path, const QString& name, const QString& text);
bool RegNumSet(const QString& path, const QString& name, std::int32_t value);
QString RegStrGet(const QString& path, const QString& name);
std::int32_t RegNumGet(const QString& path, const QString& name);

// The two workers behind them; nothing else calls these.
bool RegSetValue(int hive, const QString& key, const QString& name, int type, const QVariant& value);
QVariant RegGetValue(int hive, const QString& key, const QString& name, int type, const QVariant& def);

// Flushes the settings to disk (used when the program ends at once).
void RegSync();
