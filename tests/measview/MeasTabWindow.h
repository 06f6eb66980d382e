#pragma once
// The main window over the data folder of tests/fixtures/meastab, with the
// measurement files of tests/fixtures/history in each customer's history
// "屋根", the measurement-data tab shown and entered as the tab switch
// enters it. For the tests that drive the tab as a user does.
#include "app/MainWindowEnv.h"
#include "customers/CustomerGlobals.h"
#include "instrument/MeasRecordGlobals.h"
#include "measview/MeasViewGlobals.h"
#include "measview/MeasViewTab.h"
#include "platform/FileIo.h"
#include "platform/FlexGrid.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace MeasTab {

// The customers of the fixture, in the order of the customer list.
inline const QStringList Codes = {QStringLiteral("C001"), QStringLiteral("C002"), QStringLiteral("C003"),
                                  QStringLiteral("C004")};
inline const QStringList Names = {QStringLiteral("見本"), QStringLiteral("混在"), QStringLiteral("係数欠"),
                                  QStringLiteral("未設定")};
inline const QString History = QStringLiteral("屋根");

inline void CopyTree(const QString& from, const QString& to)
{
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + u'/' + QDir(from).relativeFilePath(file);
        QDir().mkpath(QFileInfo(target).path());
        QFile::remove(target);
        ASSERT_TRUE(QFile::copy(file, target)) << target.toStdString();
    }
}

// The measurement files, tick memory and MeasData.csv of the history fixture.
inline void CopyHistory(const QString& to)
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

inline QString CustomerFolder(int p)
{
    return Global::DataFolder + QStringLiteral("/USER_DATA/") + Codes[p] + u'_' + Names[p];
}

inline QByteArray Bytes(const QString& path)
{
    return ReadFileBytes(path).value_or(QByteArray("(missing)"));
}

} // namespace MeasTab

struct MeasTabWindow {
    MainWindowEnv w;
    FrmMain* form = nullptr;

    explicit MeasTabWindow(const QString& language = QStringLiteral("1"))
    {
        MeasTab::CopyTree(QStringLiteral(HX_FIXTURES "/meastab/data"), w.env.dataFolder());
        for (int p = 0; p < MeasTab::Codes.size(); ++p)
            MeasTab::CopyHistory(w.env.dataFolder() + QStringLiteral("/USER_DATA/") + MeasTab::Codes[p] + u'_' +
                                 MeasTab::Names[p] + QStringLiteral("/1_") + MeasTab::History);
        resetGlobals();
        form = &w.load(language);
        for (int p = 0; p < MeasTab::Codes.size(); ++p) {
            Global::UserListItems[std::size_t(p)].CustomerCode = MeasTab::Codes[p];
            Global::UserListItems[std::size_t(p)].CustomerName = MeasTab::Names[p];
        }
        Global::UserListCount = int(MeasTab::Codes.size());
        form->resize(1366, 740);
        form->show();
        {
            const QSignalBlocker block(form->SSTab);
            form->SSTab->setCurrentIndex(1);
        }
        // As the tab switch enters the tab.
        form->SSTab3->setCurrentIndex(0);
        DataViewDisplayInitial();
        QApplication::processEvents();
        w.env.dialogs->log.clear();
    }
    ~MeasTabWindow() { FileIoFaults::Reset(); }

    static void resetGlobals()
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
        Global::UserListCount = 0;
        Global::ArrayConfiguration = {};
    }

    template <class T = QWidget> T* control(const QString& name) const { return form->control<T>(name); }
    template <class T = QWidget> T* control(const char* name, int index) const
    {
        return form->control<T>(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index));
    }
    QString caption(const char* name, int index) const { return control<QLabel>(name, index)->text(); }
    QString caption(const char* name) const { return control<QLabel>(QString::fromLatin1(name))->text(); }
    FlexGrid* grid() const { return form->MfgMeasList; }
    ScriptedDialogs& dialogs() const { return *w.env.dialogs; }
    // "title|text" of every message box shown.
    QStringList boxes() const
    {
        QStringList out;
        for (const RecordedDialog& r : w.env.dialogs->log)
            if (r.kind == RecordedDialog::Message)
                out << r.message.title + u'|' + r.message.text;
        return out;
    }

    // Chooses customer p of the list as the user does, in the list of
    // control numbers (or of names).
    void chooseCustomer(int p, bool byName = false) const
    {
        control<QComboBox>(byName ? "CmbUserName" : "CmbCodeName", 0)->setCurrentIndex(p);
    }
    // Chooses the history named `name` in the history list.
    void chooseHistory(const QString& name = MeasTab::History) const
    {
        auto* list = control<QComboBox>("CmbHistorySel", 0);
        const int at = list->findText(name);
        ASSERT_GE(at, 0) << name.toStdString();
        list->setCurrentIndex(at);
    }
    void open(int p, const QString& history = MeasTab::History)
    {
        chooseCustomer(p);
        chooseHistory(history);
        QApplication::processEvents();
    }
    QString historyFolder(int p = 0, const QString& name = QStringLiteral("1_") + MeasTab::History) const
    {
        return MeasTab::CustomerFolder(p) + u'/' + name;
    }

    QStringList rowTexts(int row) const
    {
        QStringList t;
        for (int c = 0; c < grid()->Cols(); ++c)
            t << grid()->TextMatrix(row, c);
        return t;
    }
    // Every cell of the row has back colour `back` and black text.
    bool painted(int row, quint32 back) const
    {
        for (int c = 0; c < grid()->Cols(); ++c)
            if (grid()->cellBackColor(row, c) != back || grid()->cellForeColor(row, c) != 0)
                return false;
        return true;
    }
    QList<int> tickedRows() const
    {
        QList<int> rows;
        for (int r = 1; r < grid()->Rows(); ++r)
            if (grid()->Tick(r))
                rows << r;
        return rows;
    }

    // Mouse events on the list's viewport, at the centre of a cell.
    QPointF at(int row, int col) const
    {
        return grid()->viewport()->mapFrom(grid(), grid()->CellRect(row, col).center());
    }
    void mouse(QEvent::Type type, QPointF pos, Qt::MouseButton button = Qt::LeftButton) const
    {
        const Qt::MouseButtons held = type == QEvent::MouseMove ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent e(type, pos, grid()->viewport()->mapToGlobal(pos),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
        QApplication::sendEvent(grid()->viewport(), &e);
    }
    void press(int row, int col) const
    {
        mouse(QEvent::MouseButtonPress, at(row, col));
        mouse(QEvent::MouseButtonRelease, at(row, col));
    }
    void doubleClick(int row, int col) const
    {
        mouse(QEvent::MouseMove, at(row, col));
        mouse(QEvent::MouseButtonPress, at(row, col));
        mouse(QEvent::MouseButtonRelease, at(row, col));
        mouse(QEvent::MouseButtonDblClick, at(row, col));
    }
    // A click on the tick cell of list row `row`.
    void clickTick(int row) const
    {
        const QPointF c = grid()->visualRect(grid()->model()->index(row - 1, 0)).center();
        mouse(QEvent::MouseButtonPress, c);
        mouse(QEvent::MouseButtonRelease, c);
    }
};
