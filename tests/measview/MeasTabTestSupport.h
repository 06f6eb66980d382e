#pragma once
// What the tests of the measurement-data tab on the main window share: the
// history fixture copied into a history folder, files as users have them,
// the list's texts and ticks, the shared state put back to its start, and
// the pixels of a painted graph.
#include "instrument/MeasRecordGlobals.h"
#include "measview/MeasViewGlobals.h"
#include "platform/AnsiCodec.h"
#include "platform/FileIo.h"
#include "platform/FlexGrid.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include <initializer_list>

// The measurement files, tick memory and MeasData.csv of
// tests/fixtures/history, copied into the history folder `to`.
inline void CopyHistoryFixture(const QString& to)
{
    QDir().mkpath(to);
    const QDir from(QStringLiteral(HX_FIXTURES "/history"));
    for (const QString& name : from.entryList(QDir::Files)) {
        if (name.endsWith(QLatin1String(".py")))
            continue;
        QFile::remove(to + u'/' + name);
        ASSERT_TRUE(QFile::copy(from.filePath(name), to + u'/' + name)) << name.toStdString();
    }
}

// Lines in code page 932, each ended by CR LF.
inline QByteArray Cp932(std::initializer_list<const char*> lines)
{
    QByteArray out;
    for (const char* line : lines)
        out += AnsiCodec::encode(QString::fromUtf8(line)) + "\r\n";
    return out;
}

// A file's bytes, "(missing)" when it cannot be read.
inline QByteArray FileBytes(const QString& path)
{
    return ReadFileBytes(path).value_or(QByteArray("(missing)"));
}

inline QStringList GridRowTexts(const FlexGrid* grid, int row)
{
    QStringList t;
    for (int c = 0; c < grid->Cols(); ++c)
        t << grid->TextMatrix(row, c);
    return t;
}

// The list rows whose tick cell is ticked.
inline QList<int> GridTickedRows(const FlexGrid* grid)
{
    QList<int> rows;
    for (int r = 1; r < grid->Rows(); ++r)
        if (grid->Tick(r))
            rows << r;
    return rows;
}

// No history loaded, no tick, no guard set.
inline void ResetMeasViewGlobals()
{
    Global::MeasViewRecords.clear();
    Global::MeasRawRecords.clear();
    Global::MeasPmCorrRecords.clear();
    Global::MeasStcRecords.clear();
    Global::MeasFilePaths.clear();
    Global::MeasFileCount = 0;
    Global::MeasHistoryFolder.clear();
    Global::DisplayTick.assign(1, 0);
    Global::DisplayTickMemory.assign(1, false);
    Global::CurMeasRow = -1;
    Global::TickRestoring = Global::TickAllRunning = Global::ViewSwitchRunning = false;
    Global::StcCoefMissing = false;
    Global::ModuleCompFlags = {};
    Global::MeasListMouseX = Global::MeasListMouseY = 0;
}

inline int CountPixels(const QImage& image, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return n;
}

inline void WaitForPaint()
{
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
}

// With HX_SCREENS_DIR set, saves `window` there as `name`: a window's frame
// as the screen shows it under a real window system (Xvfb), else (and for a
// control inside a window) its own drawing.
inline void SaveScreen(QWidget& window, const QString& name)
{
    const QString dir = qEnvironmentVariable("HX_SCREENS_DIR");
    if (dir.isEmpty())
        return;
    QPixmap shot;
    if (QScreen* s = window.screen();
        s && window.isWindow() && QGuiApplication::platformName() == QLatin1String("xcb")) {
        const QRect frame = window.frameGeometry();
        shot = s->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    }
    if (shot.isNull())
        shot = window.grab();
    EXPECT_TRUE(shot.save(dir + u'/' + name));
}
