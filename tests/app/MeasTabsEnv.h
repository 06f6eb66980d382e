#pragma once
// The main window over two customers with construction histories and a few
// read-out files waiting in FORWARD_DATA, for the tests of the main tab
// switch and of the data-control buttons.
#include "customers/support/CustomerTabEnv.h"

#include "instrument/InstrumentGlobals.h"
#include "instrument/MeasFile.h"
#include "instrument/MeasRecordGlobals.h"
#include "measview/MeasViewGlobals.h"

#include <QAction>
#include <QComboBox>
#include <QDirIterator>
#include <QFile>
#include <QTime>

namespace MeasTabsTest {

using namespace CustomerTabTest;

inline CustomerSpec Kimura()
{
    CustomerSpec c{"K001", "Kimura", "kimura", "Roof", "123-4567", "Osaka", "06-1", "2024/02/02", {}, "12.5"};
    c.histories = {{1, "East", "2024/03/01", "first memo", {"Alpha"}},
                   {2, "West", "2024/03/02", "second memo", {"Bravo"}},
                   {3, "North_roof", "2024/03/03", "", {}}};
    return c;
}

inline CustomerSpec Abe()
{
    return {"A100", "Abe", "abe", "Site 2", "500-0001", "Gifu", "058-1", "2024/01/15", {}, "20"};
}

inline QByteArray Bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Writes a file as a test's set-up (not through the program's write path).
inline void Put(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A read-out measurement: number `number`, measured on `date` at `time`.
inline MeasRecord ReadOut(const QString& number, const QString& date, const QString& time, const QString& pm)
{
    MeasRecord r;
    r.F[0] = number;
    r.F[1] = date;
    r.F[2] = time;
    r.F[8] = QStringLiteral("45.5");
    r.F[12] = QStringLiteral("950");
    r.F[15] = pm;
    r.F[16] = QStringLiteral("40");
    r.F[17] = QStringLiteral("8.5");
    r.F[40] = QStringLiteral("3");
    r.F[42] = QStringLiteral("8.3");
    for (int k = 0; k < 120; ++k) {
        r.IvPoints[std::size_t(k)][0] = QString::number(k * 0.25);
        r.IvPoints[std::size_t(k)][1] = QString::number(8.5 - k * 0.05);
    }
    return r;
}

// The three read-out files the tests start with, in list order.
inline const QStringList ReadOutNames = {QStringLiteral("240503_101500_0012-03-01.csv"),
                                         QStringLiteral("240503_102000_0013-01-02.csv"),
                                         QStringLiteral("240504_080000_0016-01-01.csv")};

class MeasTabsEnv : public CustomerTabEnv {
  public:
    MeasTabsEnv()
    {
        Write(Kimura());
        Write(Abe());
        writeReadOuts();
        Load();
    }
    ~MeasTabsEnv() { FileIoFaults::Reset(); }

    QString forward() const { return w.env.dataFolder() + QStringLiteral("/FORWARD_DATA"); }
    QString history(const QString& folder) const { return Folder(QStringLiteral("K001_Kimura")) + u'/' + folder; }

    void writeReadOuts() const
    {
        QDir().mkpath(forward());
        MeasRecord a = ReadOut(QStringLiteral("0012-03-01"), QStringLiteral("24/05/03"), QStringLiteral("10:15:00"),
                               QStringLiteral("250"));
        MeasRecord b = ReadOut(QStringLiteral("0013-01-02"), QStringLiteral("24/05/03"), QStringLiteral("10:20:00"),
                               QStringLiteral("240"));
        MeasRecord c = ReadOut(QStringLiteral("0016-01-01"), QStringLiteral("24/05/04"), QStringLiteral("08:00:00"),
                               QStringLiteral("230"));
        for (MeasRecord* r : {&a, &b, &c})
            WriteReadOutMeasFile(forward(), *r, 1184);
    }

    FlexGrid& forwardList() const { return *w.form->MfgForwardList; }
    FlexGrid& measList() const { return *w.form->MfgMeasList; }
    QComboBox& combo(const char* name, int index) const { return *qobject_cast<QComboBox*>(Ctl(name, index)); }
    bool importShown() const { return qobject_cast<QAction*>(Ctl(QStringLiteral("MnuInport")))->isVisible(); }

    void goTo(int tab) { Tabs().setCurrentIndex(tab); }
    // Customer `code` chosen on the customer tab with history page `page` shown.
    void choose(const QString& code, int page)
    {
        ClickCustomer(code);
        for (int p = 0; p < page; ++p)
            Click("CmdScl", 1);
    }
    // Ticks data rows `rows` of `list` as the tick cells do.
    static void tick(FlexGrid& list, std::initializer_list<int> rows)
    {
        for (int row : rows)
            list.setTick(row, true);
    }

    QStringList filesIn(const QString& folder) const
    {
        return QDir(folder).entryList(QDir::Files, QDir::Name);
    }
};

} // namespace MeasTabsTest
