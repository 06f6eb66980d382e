// The in-place edit of a measurement of a construction history on the
// measurement-data tab: Enter writes the as-measured record under its new
// name, removes the old file and updates the four views (the corrected ones
// anew after a change of group), with the view shown chosen again; refused
// values, the total row, another measurement's file in the way, a failure
// half-way and the write faults.
#include "MeasTabWindow.h"

#include "app/MeasEditBox.h"
#include "common/TextHelpers.h"
#include "customers/CustomerGlobals.h"
#include "instrument/MeasEdit.h"
#include "instrument/MeasFile.h"
#include "measview/Corrections.h"
#include "support/WriteFaults.h"

#include <QKeyEvent>

namespace {

const QString Record2 = QStringLiteral("240503_101500_0001-01-01.csv");

struct EditWindow : MeasTabWindow {
    EditWindow() { open(0); }
    QLineEdit* box() const { return control<QLineEdit>(QStringLiteral("TxtPoinrIn_0")); }
    // Opens the box over (row, col), types `text` and presses `key`.
    void edit(int row, int col, const QString& text, int key = Qt::Key_Return)
    {
        doubleClick(row, col);
        ASSERT_TRUE(box()->isVisible());
        box()->setText(text);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(box(), &press);
    }
    QString file(const QString& name) const { return historyFolder() + u'/' + name; }
    QStringList files() const { return QDir(historyFolder()).entryList(QDir::Files, QDir::Name); }
    QMap<QString, QByteArray> contents() const
    {
        QMap<QString, QByteArray> out;
        for (const QString& name : files())
            out.insert(name, FileBytes(file(name)));
        return out;
    }
};

QByteArray HistoryBytes(MeasRecord rec)
{
    MeasFileWriteOptions o;
    o.variant = MeasFileVariant::History;
    o.withSecondTemperature = true;
    return MeasFileBytes(rec, o);
}

// The four views of measurement r.
QList<std::array<QString, MeasRecord::FieldCount>> Views(int r)
{
    QList<std::array<QString, MeasRecord::FieldCount>> out;
    for (const auto* v : {&Global::MeasViewRecords, &Global::MeasRawRecords, &Global::MeasPmCorrRecords,
                          &Global::MeasStcRecords})
        out << (*v)[std::size_t(r)].F;
    return out;
}

} // namespace

TEST(MeasListEdit, TheFileGetsTheMeasuredValuesUnderItsNewNameAndTheViewShownStays)
{
    EditWindow t;
    t.form->SSTab3->setCurrentIndex(1); // Pm-corrected
    const QStringList before = t.files();
    t.edit(3, 1, QStringLiteral("10:16:0"));
    ASSERT_TRUE(t.boxes().isEmpty()) << t.boxes().join(u'\n').toStdString();
    EXPECT_FALSE(t.box()->isVisible());
    EXPECT_TRUE(t.grid()->isEnabled());

    const QString name = QStringLiteral("240503_101600_0001-01-01.csv");
    QStringList want = before;
    want.removeOne(Record2);
    want << name;
    want.sort();
    EXPECT_EQ(t.files(), want);
    EXPECT_EQ(Global::MeasFilePaths[1], t.file(name));
    for (const auto& v : Views(2))
        EXPECT_EQ(v[MeasRecord::Time], QStringLiteral("10:16:00"));
    EXPECT_EQ(FileBytes(t.file(name)), HistoryBytes(Global::MeasRawRecords[2]));
    // The Pm-corrected view is still shown, its rows written again.
    EXPECT_EQ(t.form->SSTab3->currentIndex(), 1);
    EXPECT_EQ(Global::MeasViewRecords[2].F, Global::MeasPmCorrRecords[2].F);
    EXPECT_EQ(t.grid()->TextMatrix(3, 1), QStringLiteral("10:16:00"));
    // The measuring position goes into the history file.
    t.edit(3, 5, QStringLiteral("屋根西"));
    const QList<QByteArray> lines = FileBytes(t.file(name)).split('\n');
    ASSERT_GT(lines.size(), 9);
    const MeasRecord& rec = Global::MeasRawRecords[2];
    EXPECT_EQ(lines[3], AnsiCodec::encode(Global::UiText.value(602) + QStringLiteral(",10:16:00\r")));
    EXPECT_EQ(lines[4], AnsiCodec::encode(Global::UiText.value(603) + QStringLiteral(",屋根西\r")));
    // The file's current of 60 and its negative one are written as the load holds them: 0.
    for (int k : {5, 6})
        EXPECT_TRUE(lines.contains(QStringLiteral("%1,%2,0\r").arg(k).arg(rec.IvPoints[std::size_t(k)][0]).toLatin1()))
            << k;
    EXPECT_EQ(lines[8], AnsiCodec::encode(Global::UiText.value(607) + u',' + rec.F[8] + u',' + rec.F[9] + u'\r'));
    EXPECT_EQ(t.files(), want);
}

TEST(MeasListEdit, ANewGroupCorrectsTheMeasurementWithThatGroupsCoefficients)
{
    EditWindow t;
    const QString pmBefore = Global::MeasPmCorrRecords[2].F[15];
    t.edit(3, 3, QStringLiteral("2"));
    ASSERT_TRUE(t.boxes().isEmpty()) << t.boxes().join(u'\n').toStdString();
    EXPECT_TRUE(QFileInfo::exists(t.file(QStringLiteral("240503_101500_0001-02-01.csv"))));
    const CorrectionSet set = CorrectionSetOf(Global::ArrayConfiguration);
    EXPECT_EQ(Global::MeasPmCorrRecords[2].F, PmCorrected(Global::MeasRawRecords[2], set).F);
    EXPECT_EQ(Global::MeasStcRecords[2].F, StcCorrected(Global::MeasRawRecords[2], set).F);
    EXPECT_NE(Global::MeasPmCorrRecords[2].F[15], pmBefore);
    EXPECT_EQ(t.grid()->TextMatrix(3, 3), QStringLiteral("02"));
}

TEST(MeasListEdit, EscARefusedValueAndTheTotalRowChangeNothing)
{
    EditWindow t;
    t.form->SSTab3->setCurrentIndex(1);
    const auto contents = t.contents();
    const auto views = Views(2);
    const QStringList row = t.rowTexts(3);
    const auto unchanged = [&] {
        EXPECT_FALSE(t.box()->isVisible());
        EXPECT_TRUE(t.grid()->isEnabled());
        EXPECT_EQ(t.contents(), contents);
        EXPECT_EQ(Views(2), views);
        EXPECT_EQ(t.rowTexts(3), row);
        EXPECT_EQ(Global::MeasFilePaths[1], t.file(Record2));
    };
    t.edit(3, 3, QStringLiteral("4"), Qt::Key_Escape);
    unchanged();
    for (const char* refused : {"0", "11", "x"}) {
        SCOPED_TRACE(refused);
        t.edit(3, 3, QString::fromLatin1(refused));
        unchanged();
    }
    t.edit(3, 0, QStringLiteral("2024/05/03"));
    unchanged();
    EXPECT_TRUE(t.boxes().isEmpty());
    t.edit(3, 5, QStringLiteral("東,西"));
    unchanged();
    EXPECT_EQ(t.boxes(), QStringList{QStringLiteral("Heliodex|") + Global::UiText.value(UiMeasEditBadChar)});

    // The total row has no file: even with the box shown over it, Enter
    // writes nothing.
    t.dialogs().log.clear();
    const QStringList total = t.rowTexts(1);
    Global::CurMeasRow = 0;
    Global::EditColMeas = 0;
    t.box()->setText(QStringLiteral("24/06/01"));
    t.box()->show();
    int key = 13;
    TxtPoinrIn_KeyPress(0, key);
    EXPECT_EQ(key, 0);
    unchanged();
    EXPECT_EQ(t.rowTexts(1), total);
    EXPECT_TRUE(t.boxes().isEmpty());
}

TEST(MeasListEdit, ATickedMeasurementMovedInNameOrderKeepsItsTick)
{
    EditWindow t;
    ASSERT_EQ(t.tickedRows(), QList<int>({2, 4, 9}));
    // The measurement numbers of the ticked rows.
    const auto tickedNumbers = [] {
        QStringList numbers;
        for (int i = 0; i <= Global::MeasFileCount; ++i)
            if (Global::DisplayTick[std::size_t(i)] == 1)
                numbers << (i == 0 ? QStringLiteral("total") : Global::MeasRawRecords[std::size_t(i)].F[0]);
        numbers.sort();
        return numbers;
    };
    // Record 3 (ticked) dated after every other: its file goes last in name
    // order, and the rows after it move up at the next load.
    t.edit(4, 0, QStringLiteral("24/06/01"));
    ASSERT_TRUE(t.boxes().isEmpty()) << t.boxes().join(u'\n').toStdString();
    ASSERT_TRUE(QFileInfo::exists(t.file(QStringLiteral("240601_102000_0002-02-01.csv"))));
    // Ticks changed after the edit, the total row's among them, are kept too.
    t.clickTick(3);
    t.grid()->setTick(1, true);
    const QStringList ticked = tickedNumbers();
    ASSERT_EQ(ticked.size(), 5);
    const QString total = Global::MeasViewRecords[0].F[15];

    t.chooseHistory(QStringLiteral("空き"));
    t.chooseHistory();
    ASSERT_EQ(Global::MeasRawRecords[8].F[0], QStringLiteral("0002-02-01"));
    EXPECT_EQ(tickedNumbers(), ticked);
    EXPECT_EQ(t.tickedRows(), QList<int>({1, 2, 3, 8, 9}));
    EXPECT_EQ(Global::MeasViewRecords[0].F[15], total);
    EXPECT_EQ(FileBytes(t.file(QStringLiteral("CheckMemory.csv"))),
              QByteArray("True\r\nTrue\r\nTrue\r\nFalse\r\nFalse\r\nFalse\r\nFalse\r\nTrue\r\nTrue\r\n"));
    EXPECT_TRUE(t.boxes().isEmpty()) << t.boxes().join(u'\n').toStdString();
}

TEST(MeasListEdit, AnotherMeasurementsFileIsNotReplaced)
{
    EditWindow t;
    const QString other = t.file(QStringLiteral("240503_101600_0001-01-01.csv"));
    ASSERT_TRUE(WriteFileAtomic(other, "another measurement"));
    const auto contents = t.contents();
    t.edit(3, 1, QStringLiteral("10:16:00"));
    ASSERT_EQ(t.boxes().size(), 1);
    EXPECT_TRUE(t.boxes()[0].startsWith(QStringLiteral("TxtPoinrIn_KeyPress|ERROR No:58 ")));
    EXPECT_EQ(t.contents(), contents);
    EXPECT_EQ(Global::MeasRawRecords[2].F[MeasRecord::Time], QStringLiteral("10:15:00"));
    EXPECT_EQ(t.grid()->TextMatrix(3, 1), QStringLiteral("10:15:00"));
}

namespace {

// The date of record 2 edited to 24/06/01, from the box as the double-click
// leaves it.
Saver DateEdit(EditWindow& t)
{
    return {QStringLiteral("TxtPoinrIn_KeyPress (history)"), t.historyFolder(),
            [&t] {
                QDir(t.historyFolder()).removeRecursively();
                CopyHistoryFixture(t.historyFolder());
                CmbHistorySel_Click(0);
                Global::CurMeasRow = 2;
                Global::EditColMeas = 0;
                t.grid()->setEnabled(false);
                t.box()->setText(QStringLiteral("24/6/1"));
                t.box()->show();
            },
            [] {
                int key = 13;
                TxtPoinrIn_KeyPress(0, key);
                return key == 0;
            }};
}

} // namespace

TEST(MeasListEdit, AnEditFailingHalfWayLeavesFilesViewsAndListAsTheyWere)
{
    EditWindow t;
    const Saver edit = DateEdit(t);
    const int removal = StepNumberOf(edit, FileIoFaults::Step::Remove, Record2);
    ASSERT_GT(removal, 0);
    edit.arrange();
    const auto contents = t.contents();
    const auto views = Views(2);
    const QStringList row = t.rowTexts(3);
    t.dialogs().log.clear();
    FileIoFaults::FailAt(removal);
    edit.run();
    FileIoFaults::Reset();
    ASSERT_EQ(t.boxes().size(), 1);
    EXPECT_TRUE(t.boxes()[0].startsWith(QStringLiteral("TxtPoinrIn_KeyPress|ERROR No:")));
    EXPECT_EQ(t.contents(), contents);
    EXPECT_EQ(Views(2), views);
    EXPECT_EQ(t.rowTexts(3), row);
    EXPECT_EQ(Global::MeasFilePaths[1], t.file(Record2));
    EXPECT_TRUE(t.grid()->isEnabled());
}

TEST(MeasListEdit, EveryWriteOfTheEditSurvivesAFaultAndAFullDisk)
{
    EditWindow t;
    CheckWriteFaults(DateEdit(t));
}

TEST(MeasListEdit, APositionTheFileCannotHoldIsRefusedNamingItAndNothingIsWritten)
{
    EditWindow t;
    const auto contents = t.contents();
    const auto views = Views(2);
    const QStringList row = t.rowTexts(3);
    const QString typed = QStringLiteral("Müllerstraße");
    t.doubleClick(3, 5);
    ASSERT_TRUE(t.box()->isVisible());
    t.box()->selectAll();
    for (QChar ch : typed) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(t.box(), &press);
    }
    ASSERT_EQ(t.box()->text(), typed);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(t.box(), &enter);

    ASSERT_EQ(t.boxes().size(), 1);
    EXPECT_TRUE(t.boxes()[0].startsWith(QStringLiteral("Heliodex|") + Global::UiText.value(UiTextNotHeld)));
    EXPECT_TRUE(t.boxes()[0].endsWith(Global::UiText.value(UiPositionField) + QStringLiteral(": \"ü\" (U+00FC)")))
        << t.boxes()[0].toStdString();
    EXPECT_EQ(t.box()->text(), typed);
    EXPECT_EQ(t.contents(), contents);
    EXPECT_EQ(Views(2), views);
    EXPECT_EQ(t.rowTexts(3), row);
    EXPECT_TRUE(t.grid()->isEnabled());
}
