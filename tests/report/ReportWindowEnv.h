#pragma once
// The main window loaded in a temporary environment, a customer with a
// construction history in memory, and the report window opened over a view
// as the report button hands it over.
#include "ReportTestSupport.h"

#include "app/MainWindowEnv.h"
#include "common/Controls.h"
#include "customers/CustomerGlobals.h"
#include "instrument/MeasRecordGlobals.h"
#include "measview/MeasViewGlobals.h"
#include "report/FrmReport.h"
#include "report/ReportEntry.h"
#include "report/ReportGlobals.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QSignalBlocker>
#include <QTabWidget>

#include <gtest/gtest.h>

struct ReportWindowEnv {
    MainWindowEnv w;
    FrmMain* main = nullptr;

    explicit ReportWindowEnv(const QString& language = QStringLiteral("1"))
    {
        main = &w.load(language);
        main->show();
        Global::UserDataRecord = {QStringLiteral("C001"),   QStringLiteral("Sample Farm"), QStringLiteral("SAMPLE"),
                                  QStringLiteral("Barn"),   QStringLiteral("100-0001"),    QStringLiteral("1-2 Hill Road"),
                                  QStringLiteral("03-111"), QStringLiteral("090-222"),     QStringLiteral("farm@example.jp"),
                                  QStringLiteral("2024/01/15"), QStringLiteral("memo")};
        for (auto& h : Global::HistoryRecords)
            h = {};
        for (auto& c : Global::ContractorRecords)
            c = {};
        HistoryRecord& h = Global::HistoryRecords[1];
        h.HistoryName = QStringLiteral("South roof");
        h.MeasDate = QStringLiteral("2024/06/02");
        h.HistoryMemo = QStringLiteral("Inspection after the storm");
        ContractorRecord& c = Global::ContractorRecords[1];
        c.ContractorNames[0] = QStringLiteral("Solar Works");
        c.ContractorPhones[0] = QStringLiteral("03-555");
        c.ContractorPersons[0] = QStringLiteral("Sato");
        c.ContractorNames[4] = QStringLiteral("Wiring Co");
        Global::ArrayConfiguration = {};
        chooseHistory(1);
        pv(Qt::Checked);
        judgementOff(false);
        w.env.dialogs->log.clear();
    }
    ~ReportWindowEnv()
    {
        FrmReportUnload();
        settle();
        Global::MeasViewRecords.clear();
        Global::MeasFileCount = 0;
        Global::DisplayTick.assign(1, 0);
    }

    // The measurement-data tab's history choice, as the tab leaves it.
    void chooseHistory(int index)
    {
        auto* choice = MainControl<QComboBox>(QStringLiteral("CmbHistorySel_0"));
        const QSignalBlocker quiet(choice);
        choice->clear();
        choice->addItems({QStringLiteral("North"), QStringLiteral("South roof"), QStringLiteral("East")});
        choice->setCurrentIndex(index);
    }
    void pv(Qt::CheckState state)
    {
        auto* box = MainControl<QCheckBox>(QStringLiteral("ChkPV_VIEW"));
        const QSignalBlocker quiet(box);
        box->setTristate(true);
        box->setCheckState(state);
    }
    void judgementOff(bool off)
    {
        auto* box = MainControl<QCheckBox>(QStringLiteral("ChkJudgeOff"));
        const QSignalBlocker quiet(box);
        box->setChecked(off);
    }
    void resultView(int view)
    {
        auto* views = MainControl<QTabWidget>(QStringLiteral("SSTab3"));
        const QSignalBlocker quiet(views);
        views->setCurrentIndex(view);
    }

    // What the report button does before it opens the window, then the
    // window itself.
    FrmReport* open(const ReportTest::View& v)
    {
        Global::MeasViewRecords = v.records;
        Global::MeasFileCount = v.count;
        Global::DisplayTick = v.ticks;
        int ticked = 0;
        for (int i = 1; i <= v.count; ++i)
            ticked += v.ticks[std::size_t(i)] == 1;
        HideMainWindow();
        Global::ReportCount = ticked;
        Global::ReportPmTotal.clear();
        Global::ReportVocMean.clear();
        Global::ReportIscTotal.clear();
        EXPECT_TRUE(FrmReportShow());
        settle();
        return FrmReportWindow();
    }

    static void settle()
    {
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QStringList boxes() const { return w.env.dialogs->messages(); }
};
