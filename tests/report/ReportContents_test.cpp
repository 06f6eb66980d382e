// The report's contents as plain code, from hand-made records: the row
// texts by model code and version, the judgement columns, the totals, the
// instrument-model list, the header and equipment texts and the photo fit.
#include "ReportTestSupport.h"

#include "common/AppGlobals.h"
#include "platform/FileIo.h"
#include "report/ReportContents.h"
#include "support/TestEnv.h"

#include <QFile>

#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

using namespace ReportTest;
using Report::Column;

namespace {

QString Ui(int key)
{
    return Global::UiText.value(key);
}

class ReportContents : public ::testing::Test {
  protected:
    void SetUp() override { TestEnv::loadUiText(); }
};

} // namespace

// ---- Rows --------------------------------------------------------------------

TEST_F(ReportContents, RowFormatsFollowModelAndVersion)
{
    struct Case {
        const char* model;
        const char* version;
        const char* pm;
        const char* voc;
        const char* isc;
        const char* dirt;
        // Expected Pm, Voc, Isc, outside temperature, dirt, tilt.
        const char* ePm;
        const char* eVoc;
        const char* eIsc;
        const char* eOut;
        QString eDust;
        const char* eDeg;
    } cases[] = {
        {"0", "8.0", "100.4", "400.25", "8.2645", "1", "100", "400.3", "8.265", "25.0", Ui(511), "30"},
        {"2", "7.9", "250.5", "400.5", "8.265", "2", "251", "401", "8.27", "25.0", Ui(512), "30"},
        {"9", "", "-0.4", "", "", "3", "0", "0", "0.00", "25.0", "--", "--"},
        {"6", "8.3", "abc", "41.26", "8.26", "1", "abc", "41.3", "8.3", "--", "--", "--"},
        {"7", "7.0", "", "41.5", "8.25", "1", "", "42", "8.3", "--", "--", "--"},
        {"B", "8.3", "12abc", "41", "8.25", "1", "12abc", "41.0", "8.250", "--", "--", "--"},
        {"a", "9", "1E2", "41", "8.25", "2", "100", "41.0", "8.250", "--", "--", "--"},
        {"I", "8.0", "1", "41", "8.25", "1", "1", "41.0", "8.250", "25.0", Ui(511), "30"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " " + c.version);
        MeasRecord r = Measurement(1);
        r.F[MeasRecord::Model] = QString::fromLatin1(c.model);
        r.F[MeasRecord::Version] = QString::fromLatin1(c.version);
        r.F[MeasRecord::Pm] = QString::fromLatin1(c.pm);
        r.F[MeasRecord::Voc] = QString::fromLatin1(c.voc);
        r.F[MeasRecord::Isc] = QString::fromLatin1(c.isc);
        r.F[MeasRecord::Soiling] = QString::fromLatin1(c.dirt);
        const ReportRowTexts t = ReportRowTextsOf(r, true);
        EXPECT_EQ(t[Report::Pm], QString::fromLatin1(c.ePm));
        EXPECT_EQ(t[Report::Voc], QString::fromLatin1(c.eVoc));
        EXPECT_EQ(t[Report::Isc], QString::fromLatin1(c.eIsc));
        EXPECT_EQ(t[Report::OutT], QString::fromLatin1(c.eOut));
        EXPECT_EQ(t[Report::Dust], c.eDust);
        EXPECT_EQ(t[Report::Deg], QString::fromLatin1(c.eDeg));
        // The plain columns, unchanged.
        EXPECT_EQ(t[Report::Date], r.F[MeasRecord::Date]);
        EXPECT_EQ(t[Report::Time], r.F[MeasRecord::Time]);
        EXPECT_EQ(t[Report::Code], QStringLiteral("0001-01-01"));
        EXPECT_EQ(t[Report::Point], QStringLiteral("P1"));
        EXPECT_EQ(t[Report::FF], QStringLiteral("0.72"));
        EXPECT_EQ(t[Report::CellT], QStringLiteral("41.5"));
        EXPECT_EQ(t[Report::E], QStringLiteral("950"));
    }
}

TEST_F(ReportContents, JudgementColumnsByCodeSwitchAndVersion)
{
    struct Case {
        const char* model;
        const char* version;
        const char* judgeSwitch;
        const char* result;
        const char* eCapa;
        const char* eMeas;
        QString eJudge;
    } cases[] = {
        {"0", "8.0", "1", "1", "4.2", "98/97", Ui(580)},
        {"0", "8.0", "1", "2", "4.2", "98/97", Ui(581)},
        {"5", "6.0", "1", "3", "4.2", "98/97", Ui(582)},
        {"6", "8.0", "1", "4", "4.2", "98/97", "--"},
        {"0", "8.0", "2", "1", "--", "--/--", "--"},
        {"B", "9.0", "2", "1", "--", "--/--", "--"},
        {"B", "8.3", "1", "1", "--", "--/--", "--"},
        {"H", "8.31", "1", "1", "4.2", "98/--", Ui(580)},
        {"c", "8.4", "1", "2", "4.2", "98/--", "--"},
        {"D", "8.4", "1", "3", "4.2", "98/--", Ui(582)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " " + c.version + " " + c.judgeSwitch + " " + c.result);
        MeasRecord r = Measurement(1);
        r.F[MeasRecord::Model] = QString::fromLatin1(c.model);
        r.F[MeasRecord::Version] = QString::fromLatin1(c.version);
        r.F[MeasRecord::JudgeSwitch] = QString::fromLatin1(c.judgeSwitch);
        r.F[MeasRecord::JudgeResult] = QString::fromLatin1(c.result);
        const ReportRowTexts on = ReportRowTextsOf(r, true);
        EXPECT_EQ(on[Report::Capa], QString::fromLatin1(c.eCapa));
        EXPECT_EQ(on[Report::DataMeas], QString::fromLatin1(c.eMeas));
        EXPECT_EQ(on[Report::DataJudge], c.eJudge);
        const ReportRowTexts off = ReportRowTextsOf(r, false);
        EXPECT_TRUE(off[Report::Capa].isEmpty());
        EXPECT_TRUE(off[Report::DataMeas].isEmpty());
        EXPECT_TRUE(off[Report::DataJudge].isEmpty());
        EXPECT_EQ(off[Report::Pm], on[Report::Pm]);
    }
}

TEST_F(ReportContents, RowsAreTheTickedElementsFromTheScrollPosition)
{
    View v = MakeView(16, 15, true);
    // 16 report rows: the total, then measurements 1 to 15.
    EXPECT_EQ(ReportRows(v.count, v.ticks).size(), 16u);
    const auto shown = ReportRowsShown(v.records, v.count, v.ticks, 3, 10, true);
    ASSERT_EQ(shown.size(), 10u);
    for (int s = 0; s < 10; ++s) {
        EXPECT_EQ(shown[std::size_t(s)].row, 3 + s);
        EXPECT_EQ(shown[std::size_t(s)].record, 3 + s);
    }
    const auto first = ReportRowsShown(v.records, v.count, v.ticks, 0, 20, true);
    ASSERT_EQ(first.size(), 16u);
    EXPECT_EQ(first[0].record, 0);
    EXPECT_EQ(first[0].cells[Report::Code], QStringLiteral("TOTAL"));
    // Gaps in the ticks: rows follow the ticked elements only.
    v.ticks = {0, 0, 1, 0, 1, 1};
    v.count = 5;
    const auto gaps = ReportRowsShown(v.records, v.count, v.ticks, 1, 10, true);
    ASSERT_EQ(gaps.size(), 2u);
    EXPECT_EQ(gaps[0].record, 4);
    EXPECT_EQ(gaps[1].record, 5);
    EXPECT_TRUE(ReportRowsShown(v.records, v.count, v.ticks, 3, 10, true).empty());
}

// ---- Totals --------------------------------------------------------------------

TEST_F(ReportContents, TotalsOfOneTwoAndTwentyRows)
{
    View one = MakeView(3, 1);
    one.records[1].F[MeasRecord::Pm] = QStringLiteral("100.4");
    one.records[1].F[MeasRecord::Voc] = QStringLiteral("400.5");
    one.records[1].F[MeasRecord::Isc] = QStringLiteral("8.26");
    ReportTotals t = ReportTotalsOf(one.records, one.count, one.ticks);
    EXPECT_EQ(t.count, 1);
    EXPECT_EQ(t.pmTotal, QStringLiteral("100"));
    EXPECT_EQ(t.vocMean, QStringLiteral("401"));
    EXPECT_EQ(t.iscTotal, QStringLiteral("8.3"));

    View two = MakeView(2, 2);
    two.records[1].F[MeasRecord::Pm] = two.records[2].F[MeasRecord::Pm] = QStringLiteral("100.4");
    two.records[1].F[MeasRecord::Isc] = QStringLiteral("8.26");
    two.records[2].F[MeasRecord::Isc] = QStringLiteral("8.31");
    two.records[1].F[MeasRecord::Voc] = QStringLiteral("400.2");
    two.records[2].F[MeasRecord::Voc] = QStringLiteral("401.3");
    t = ReportTotalsOf(two.records, two.count, two.ticks);
    EXPECT_EQ(t.pmTotal, QStringLiteral("200"));
    EXPECT_EQ(t.vocMean, QStringLiteral("400.5"));
    EXPECT_EQ(t.iscTotal, QStringLiteral("16.6"));

    // Twenty rows, and the ticked total element beside them does not count.
    View twenty = MakeView(22, 20, true);
    for (int i = 1; i <= 20; ++i) {
        twenty.records[std::size_t(i)].F[MeasRecord::Pm] = QStringLiteral("250.5");
        twenty.records[std::size_t(i)].F[MeasRecord::Voc] = i <= 3 ? QStringLiteral("400.4") : QStringLiteral("401");
        twenty.records[std::size_t(i)].F[MeasRecord::Isc] = QStringLiteral("8.25");
    }
    t = ReportTotalsOf(twenty.records, twenty.count, twenty.ticks);
    EXPECT_EQ(t.count, 20);
    EXPECT_EQ(t.pmTotal, QStringLiteral("5020"));
    EXPECT_EQ(t.vocMean, QStringLiteral("400.85"));
    EXPECT_EQ(t.iscTotal, QStringLiteral("166"));
}

TEST_F(ReportContents, TotalsMeanAndShownFormats)
{
    View v = MakeView(3, 3, true);
    const char* vocs[] = {"400.2", "400.4", "401.3"};
    for (int i = 1; i <= 3; ++i)
        v.records[std::size_t(i)].F[MeasRecord::Voc] = QString::fromLatin1(vocs[i - 1]);
    const ReportTotals t = ReportTotalsOf(v.records, v.count, v.ticks);
    EXPECT_EQ(t.vocMean, QStringLiteral("400.333333333333"));

    struct Case {
        const char* version;
        const char* pm;
        const char* voc;
        const char* isc;
    } cases[] = {{"8.0", "200", "400.3", "16.600"}, {"7.9", "200", "400", "16.60"}, {"", "200", "400", "16.60"}};
    for (const Case& c : cases) {
        const ReportTotalTexts s = ShownTotals(QStringLiteral("200"), t.vocMean, QStringLiteral("16.6"),
                                               QString::fromLatin1(c.version));
        EXPECT_EQ(s.pm, QString::fromLatin1(c.pm));
        EXPECT_EQ(s.voc, QString::fromLatin1(c.voc));
        EXPECT_EQ(s.isc, QString::fromLatin1(c.isc));
    }
    const ReportTotalTexts empty = ShownTotals({}, {}, {}, QStringLiteral("8.3"));
    EXPECT_EQ(empty.pm, QStringLiteral("0"));
    EXPECT_EQ(empty.voc, QStringLiteral("0.0"));
    EXPECT_EQ(empty.isc, QStringLiteral("0.000"));
    EXPECT_EQ(FirstMeasurementVersion(v.records), QStringLiteral("8.3"));
    EXPECT_TRUE(FirstMeasurementVersion({MeasRecord{}}).isEmpty());
}

TEST_F(ReportContents, ARowWhosePmIsNoNumberIsLeftOutOfEveryTotal)
{
    View v = MakeView(5, 5);
    const char* pms[] = {"100", "", "ERR", "--", " 50.4 "};
    const char* vocs[] = {"300", "900", "900", "900", "401"};
    for (int i = 1; i <= 5; ++i) {
        MeasRecord& r = v.records[std::size_t(i)];
        r.F[MeasRecord::Pm] = QString::fromLatin1(pms[i - 1]);
        r.F[MeasRecord::Voc] = QString::fromLatin1(vocs[i - 1]);
        r.F[MeasRecord::Isc] = QStringLiteral("8");
    }
    const ReportTotals t = ReportTotalsOf(v.records, v.count, v.ticks);
    EXPECT_EQ(t.count, 2);
    EXPECT_EQ(t.pmTotal, QStringLiteral("150"));
    EXPECT_EQ(t.vocMean, QStringLiteral("350.5")); // (300 + 401) / 2
    EXPECT_EQ(t.iscTotal, QStringLiteral("16"));
    EXPECT_EQ(t.leftOut, (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(LeftOutMessage(v.records, t.leftOut),
              Report::LeftOutOfTotals + QStringLiteral("\r\n24/06/03 10:02:00 0002-01-01"
                                                       "\r\n24/06/04 10:03:00 0003-01-01"
                                                       "\r\n24/06/05 10:04:00 0004-01-01"));
    // The row itself still shows its Pm as it stands.
    EXPECT_EQ(ReportRowTextsOf(v.records[3], true)[Report::Pm], QStringLiteral("ERR"));

    // Only such rows ticked: no totals, as with nothing ticked.
    View dashes = MakeView(2, 2);
    for (int i = 1; i <= 2; ++i)
        dashes.records[std::size_t(i)].F[MeasRecord::Pm] = QStringLiteral("--");
    const ReportTotals d = ReportTotalsOf(dashes.records, dashes.count, dashes.ticks);
    EXPECT_EQ(d.count, 0);
    EXPECT_TRUE(d.pmTotal.isEmpty() && d.vocMean.isEmpty() && d.iscTotal.isEmpty());
    EXPECT_EQ(d.leftOut, (std::vector<int>{1, 2}));

    // Nothing ticked but the total: no totals at all.
    View none = MakeView(4, 0, true);
    const ReportTotals n = ReportTotalsOf(none.records, none.count, none.ticks);
    EXPECT_EQ(n.count, 0);
    EXPECT_TRUE(n.pmTotal.isEmpty());
    EXPECT_TRUE(n.vocMean.isEmpty());
    EXPECT_TRUE(n.iscTotal.isEmpty());
}

// ---- Instrument models ------------------------------------------------------

TEST_F(ReportContents, ModelListByCodeOrder)
{
    const QString head = QStringLiteral("Model: ");
    struct Case {
        std::vector<const char*> codes;
        const char* expected;
    } cases[] = {
        {{"2", "0", "A"}, "Model: QTM-310 QTM-520 KRX-210"},
        {{"1", "0", "1"}, "Model: QTM-310 QTM-310"},
        {{"H", "8", "6", "7", "4"}, "Model: QTM-310Z PLV-210V PLV-260V QTM-520Z KRX-530Z"},
        {{"a", "0"}, "Model: QTM-310 --"},
        {{"B7"}, "Model: KRX-210Z"},
        {{"あ", "Z", "C"}, "Model: KRX-210S -- --"},
        {{"", ""}, "Model:"},
        {{}, "Model:"},
    };
    for (const Case& c : cases) {
        ModelCounts counts;
        for (const char* code : c.codes)
            CountModel(counts, QString::fromUtf8(code));
        EXPECT_EQ(ModelListText(counts, head), QString::fromUtf8(c.expected));
    }
    EXPECT_EQ(ModelListText({}, QStringLiteral("Head")), QStringLiteral("Head"));
    EXPECT_EQ(ModelListText({}, QStringLiteral("Head  ")), QStringLiteral("Head "));
}

TEST_F(ReportContents, ModelListHeadHasAKeyOfItsOwn)
{
    EXPECT_EQ(ModelListHead(), Ui(Report::UiModelListHead));
    EXPECT_FALSE(ModelListHead().isEmpty());
    const QString own = Global::UiText[Report::UiModelListHead];
    Global::UiText[Report::UiModelListHead].clear();
    EXPECT_EQ(ModelListHead(), Ui(Report::UiModelListFirmwareShared));
    Global::UiText[Report::UiModelListHead] = own;

    View v = MakeView(3, 3);
    v.records[2].F[MeasRecord::Model] = QStringLiteral("A");
    const auto rows = ReportRowsShown(v.records, v.count, v.ticks, 0, 10, true);
    EXPECT_EQ(ModelListOf(rows, v.records), own + QStringLiteral("QTM-310 KRX-210"));
    // Only the rows given count (the window's ten slots, a page's rows).
    const auto last = ReportRowsShown(v.records, v.count, v.ticks, 1, 1, true);
    EXPECT_EQ(ModelListOf(last, v.records), own + QStringLiteral("KRX-210"));
}

// ---- Header and equipment ----------------------------------------------------

TEST_F(ReportContents, HeaderTakesTheChosenHistoryOrNone)
{
    Global::UserDataRecord = {QStringLiteral("C001"), QStringLiteral("見本"), QStringLiteral("ミホン"),
                              QStringLiteral("屋根"), QStringLiteral("100-0001"), QStringLiteral("東京都"),
                              QStringLiteral("03-1"), QStringLiteral("03-2"), QStringLiteral("a@b"),
                              QStringLiteral("2024/01/02"), QStringLiteral("never shown")};
    HistoryRecord& h = Global::HistoryRecords[2];
    h = {};
    h.HistoryName = QStringLiteral("south roof");
    h.MeasDate = QStringLiteral("2024/06/01");
    h.HistoryMemo = QStringLiteral("line 1\r\nline 2");
    h.PicturePaths[1] = QStringLiteral("/x/1.jpg");
    ContractorRecord& c = Global::ContractorRecords[2];
    c = {};
    c.ContractorNames[4] = QStringLiteral("Fifth Ltd");
    c.ContractorPhones[4] = QStringLiteral("555");
    c.ContractorPersons[4] = QStringLiteral("Ito");

    const ReportHeader chosen = ReportHeaderOf(2);
    EXPECT_TRUE(chosen.historyChosen);
    EXPECT_EQ(chosen.customer[0], QStringLiteral("C001"));
    EXPECT_EQ(chosen.customer[9], QStringLiteral("2024/01/02"));
    EXPECT_EQ(chosen.measDate, QStringLiteral("2024/06/01"));
    EXPECT_EQ(chosen.historyName, QStringLiteral("south roof"));
    EXPECT_EQ(chosen.memo, QStringLiteral("line 1\r\nline 2"));
    EXPECT_EQ(chosen.contractors[4][0], QStringLiteral("Fifth Ltd"));
    EXPECT_EQ(chosen.contractors[4][1], QStringLiteral("555"));
    EXPECT_EQ(chosen.contractors[4][2], QStringLiteral("Ito"));
    EXPECT_EQ(chosen.photoPaths[1], QStringLiteral("/x/1.jpg"));

    for (int none : {-1, 100}) {
        const ReportHeader h0 = ReportHeaderOf(none);
        EXPECT_FALSE(h0.historyChosen);
        EXPECT_EQ(h0.customer[1], QStringLiteral("見本"));
        EXPECT_TRUE(h0.historyName.isEmpty());
        EXPECT_TRUE(h0.contractors[4][0].isEmpty());
        EXPECT_TRUE(h0.photoPaths[1].isEmpty());
    }
}

TEST_F(ReportContents, EquipmentTextsAsStoredAndRatedPmOnlyWhenNotZero)
{
    ArrayConfigurationType a;
    a.TotalPm = QStringLiteral("5400");
    a.ExtMemo = QStringLiteral("meter\r\nbreaker");
    a.GroupMaker[9] = QStringLiteral("Maker J");
    a.StringRows[49] = {QStringLiteral("M-215"), QStringLiteral("8"), QStringLiteral("2"),
                        QStringLiteral("215.00"), QStringLiteral("36.1"), QStringLiteral("8.01")};
    a.GroupPowCon[9] = {QStringLiteral("10"), QStringLiteral("PC Maker"), QStringLiteral("PC-55")};
    const char* rated[] = {"", "0", "0.0", "abc", "1234.5", "0.1"};
    for (int g = 0; g < 6; ++g)
        a.GroupRatedPm[std::size_t(g)] = QString::fromLatin1(rated[g]);
    a.GroupPmTempCoef[9] = QStringLiteral("-0.45");
    a.GroupAlpha[9] = QStringLiteral("0.005");
    a.GroupBeta[9] = QStringLiteral("-0.12");
    a.GroupRs[9] = QStringLiteral("0.3");
    a.GroupK[9] = QStringLiteral("0.001");

    const ReportEquipment e = ReportEquipmentOf(a);
    EXPECT_EQ(e.totalPm, QStringLiteral("5400"));
    EXPECT_EQ(e.extMemo, QStringLiteral("meter\r\nbreaker"));
    const char* shown[] = {"", "", "", "", "1234.5", "0.1"};
    for (int g = 0; g < 6; ++g)
        EXPECT_EQ(e.groups[std::size_t(g)].ratedPm, QString::fromLatin1(shown[g])) << g;
    const ReportGroupTexts& last = e.groups[9];
    EXPECT_EQ(last.maker, QStringLiteral("Maker J"));
    EXPECT_EQ(last.rows[4].model, QStringLiteral("M-215"));
    EXPECT_EQ(last.rows[4].series, QStringLiteral("8"));
    EXPECT_EQ(last.rows[4].parallel, QStringLiteral("2"));
    EXPECT_EQ(last.rows[4].pm, QStringLiteral("215.00"));
    EXPECT_EQ(last.rows[4].voc, QStringLiteral("36.1"));
    EXPECT_EQ(last.rows[4].isc, QStringLiteral("8.01"));
    EXPECT_EQ(last.powConNo, QStringLiteral("10"));
    EXPECT_EQ(last.powConMaker, QStringLiteral("PC Maker"));
    EXPECT_EQ(last.powConModel, QStringLiteral("PC-55"));
    EXPECT_EQ(last.pmTempCoef, QStringLiteral("-0.45"));
    EXPECT_EQ(last.alpha, QStringLiteral("0.005"));
    EXPECT_EQ(last.beta, QStringLiteral("-0.12"));
    EXPECT_EQ(last.rs, QStringLiteral("0.3"));
    EXPECT_EQ(last.k, QStringLiteral("0.001"));
}

// ---- Photos -------------------------------------------------------------------

TEST_F(ReportContents, PhotosShrinkToTheirFrameAndNeverGrow)
{
    TestEnv env;
    const QSizeF frame(3600, 2700);
    struct Case {
        int w;
        int h;
        QSizeF shown;
    } cases[] = {
        {640, 480, {3600, 2700}}, {480, 180, {3600, 1350}}, {120, 90, {1800, 1350}},
        {240, 180, {3600, 2700}}, {180, 360, {1350, 2700}},
    };
    for (const Case& c : cases) {
        const QString path = env.root() + QStringLiteral("/p%1x%2.png").arg(c.w).arg(c.h);
        ASSERT_TRUE(WritePicture(path, c.w, c.h));
        const ReportPhoto p = LoadReportPhoto(path, frame, 96, 96);
        EXPECT_FALSE(p.error);
        EXPECT_EQ(p.image.size(), QSize(c.w, c.h));
        EXPECT_DOUBLE_EQ(p.sizeTwips.width(), c.shown.width()) << c.w << "x" << c.h;
        EXPECT_DOUBLE_EQ(p.sizeTwips.height(), c.shown.height()) << c.w << "x" << c.h;
    }
    // The printed page's frame takes the same rule.
    const ReportPhoto page = LoadReportPhoto(env.root() + QStringLiteral("/p640x480.png"), {2560, 1920}, 96, 96);
    EXPECT_DOUBLE_EQ(page.sizeTwips.width(), 2560);

    for (const QString& missing : {QString(), env.root() + QStringLiteral("/none.jpg"), QString(300, u'x')}) {
        const ReportPhoto p = LoadReportPhoto(missing, frame, 96, 96);
        EXPECT_FALSE(p.error);
        EXPECT_TRUE(p.image.isNull());
        EXPECT_EQ(p.sizeTwips, frame);
    }
    const QString spoilt = env.root() + QStringLiteral("/spoilt.jpg");
    ASSERT_TRUE(WriteFileAtomic(spoilt, QByteArray("not a picture")));
    const ReportPhoto bad = LoadReportPhoto(spoilt, frame, 96, 96);
    ASSERT_TRUE(bad.error);
    EXPECT_EQ(bad.error->number, 481);
    EXPECT_TRUE(bad.error->description.contains(spoilt));
    EXPECT_TRUE(bad.image.isNull());
    EXPECT_EQ(bad.sizeTwips, frame);
}
