#pragma once
// The main window with a simulated instrument, for the tests of the
// read-out and the instrument-data tab; and instrument records built by hand
// from the record layouts.
#include "UsbTestSupport.h"
#include "app/MainWindowEnv.h"
#include "instrument/ForwardTab.h"
#include "instrument/MeasFile.h"
#include "instrument/ReadOut.h"
#include "platform/FlexGrid.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QPushButton>
#include <QTime>

#include <cstdio>

// ---- Instrument records ---------------------------------------------------

inline void PutAt(QByteArray& r, int pos, const QByteArray& text)
{
    r.replace(pos - 1, text.size(), text);
}

inline QByteArray Hex4(int v)
{
    char b[8];
    std::snprintf(b, sizeof b, "%04X", unsigned(v) & 0xFFFF);
    return QByteArray(b);
}

struct InstrumentRecord {
    QByteArray number = "0012-03-01";
    QByteArray date = "24/05/03";
    QByteArray time = "10:15:00";
    char model = '3';
    QByteArray pm = "00250";

    // The versioned layout, version 8.3, no shift.
    QByteArray bytes1184() const
    {
        QByteArray r(1184, ' ');
        PutAt(r, 1, number);
        PutAt(r, 11, date);
        PutAt(r, 19, time);
        const struct {
            int pos;
            const char* text;
        } pieces[] = {{27, "00253"},  {32, "04095"},  {37, "1"},      {38, "00045"},  {43, "00023"},
                      {48, "7"},      {49, "01000"},  {54, "01525"},  {59, "00003"},  {69, "00374"},
                      {74, "08950"},  {79, "00012"},  {89, "00163"},  {138, "1"},     {139, "00030"},
                      {156, "0"},     {157, "00095"}, {162, "00009"}, {167, "00011"}, {182, "1"},
                      {191, "08.30"}, {196, "00075"}, {213, "QTM-1"}};
        for (const auto& p : pieces)
            PutAt(r, p.pos, p.text);
        PutAt(r, 64, pm);
        r[188] = model;
        for (int k = 0; k < 120; ++k) {
            PutAt(r, 225 + 4 * k, Hex4(4000 - 30 * k));
            PutAt(r, 705 + 4 * k, Hex4(8000 - 50 * k));
        }
        return r;
    }

    // The older layout without a version.
    QByteArray bytes1120() const
    {
        QByteArray r(1120, ' ');
        PutAt(r, 1, number);
        PutAt(r, 11, date);
        PutAt(r, 19, time);
        PutAt(r, 64, pm);
        PutAt(r, 69, "00037");
        PutAt(r, 74, "08950");
        PutAt(r, 157, "QTM1");
        for (int k = 0; k < 120; ++k) {
            PutAt(r, 161 + 4 * k, Hex4(400 - 3 * k));
            PutAt(r, 641 + 4 * k, Hex4(8000 - 50 * k));
        }
        return r;
    }
};

// `count` distinct records (numbers and times differ).
inline QList<QByteArray> Records1184(int count, int firstSerial = 1)
{
    QList<QByteArray> out;
    for (int i = 0; i < count; ++i) {
        InstrumentRecord r;
        const int s = firstSerial + i;
        r.number = QStringLiteral("%1-01-01").arg(s % 10000, 4, 10, QLatin1Char('0')).toLatin1();
        r.time = QTime(0, 0).addSecs(s).toString(QStringLiteral("HH:mm:ss")).toLatin1();
        out << r.bytes1184();
    }
    return out;
}

// `count` read-out files in FORWARD_DATA of the data folder: record i (from
// 1) is number i-02-03 measured at 24/05/03 10:00:00 + i seconds.
inline void WriteForwardFiles(int count)
{
    const QString forward = Global::DataFolder + QStringLiteral("/FORWARD_DATA");
    QDir().mkpath(forward);
    for (int i = 1; i <= count; ++i) {
        MeasRecord r;
        r.F[0] = QStringLiteral("%1-02-03").arg(i, 4, 10, QLatin1Char('0'));
        r.F[1] = QStringLiteral("24/05/03");
        r.F[2] = QTime(10, 0).addSecs(i).toString(QStringLiteral("HH:mm:ss"));
        r.F[15] = QStringLiteral("250");
        r.F[42] = QStringLiteral("8.3");
        WriteReadOutMeasFile(forward, r, 1184);
    }
}

// ---- The main window over a simulated instrument ---------------------------

// The fixed "now" of these tests.
inline QDateTime TestNow()
{
    return QDateTime(QDate(2024, 6, 1), QTime(12, 34, 56));
}

struct ForwardWindow {
    MainWindowEnv w;
    SimulatedLink link;
    FrmMain* form = nullptr;

    // The main window in the language of `code` ("1" English, "81" Japanese).
    explicit ForwardWindow(const QString& code = QStringLiteral("1"))
    {
        Global::RecordSize = 1184;
        Global::UsbNotFoundFlag = false;
        Global::ForwardRecords.clear();
        Global::ForwardFilePaths.clear();
        Global::ForwardFileCount = 0;
        Global::ForwardTick.assign(1, 0);
        Global::CurForwardRow = -1;
        Global::EditColForward = 0;
        Global::FwdListMouseX = Global::FwdListMouseY = 0;
        Global::UserListCount = 0;
        Global::ClockOverride = [] { return TestNow(); };
        form = &w.load(code);
        Global::ClockOverride = [] { return TestNow(); };
        w.env.dialogs->log.clear();
    }

    SimulatedInstrument& sim() { return *link.sim; }
    ScriptedDialogs& dialogs() { return *w.env.dialogs; }
    QStringList boxes() const { return Boxes(*w.env.dialogs); }
    FlexGrid* grid() const { return form->MfgForwardList; }
    template <class T = QWidget> T* control(const char* name) const
    {
        return form->control<T>(QString::fromLatin1(name));
    }

    static QString forwardFolder() { return Global::DataFolder + QStringLiteral("/FORWARD_DATA"); }
    static QString backupRoot() { return Global::DataFolder + QStringLiteral("/BACKUP_DATA"); }
    // The backup folder of a read-out at TestNow().
    static QString backupFolder() { return backupRoot() + QStringLiteral("/20240601_123456"); }

    // File names of a folder, sorted.
    static QStringList files(const QString& folder)
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    static QStringList subfolders(const QString& folder)
    {
        return QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    }

    // The read and delete buttons of the tab.
    void pressRead() { control<QPushButton>("CmdDataForward")->click(); }
    void pressDelete() { control<QPushButton>("CmdDataDelete")->click(); }

    // The texts of list row `row`.
    QStringList rowTexts(int row) const
    {
        QStringList t;
        for (int c = 0; c < grid()->Cols(); ++c)
            t << grid()->TextMatrix(row, c);
        return t;
    }
};
