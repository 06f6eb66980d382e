#include "instrument/ForwardTab.h"

#include "common/FileHelpers.h"
#include "common/Controls.h"
#include "common/FrmMessWindow.h"
#include "common/Global.h"
#include "common/GridCellEdit.h"
#include "instrument/InstrumentGlobals.h"
#include "instrument/MeasRecordGlobals.h"
#include "customers/CustomerGlobals.h"
#include "common/TextHelpers.h"
#include "instrument/MeasEdit.h"
#include "instrument/MeasFile.h"
#include "platform/Clock.h"
#include "instrument/ReadOut.h"
#include "instrument/UsbProtocol.h"
#include "platform/AppError.h"
#include "platform/Dialogs.h"
#include "platform/FileIo.h"
#include "platform/FlexGrid.h"
#include "platform/NumText.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>

namespace {

// Column widths of the list, in blanks of the list's font.
constexpr int ColumnBlanks[18] = {9, 9, 6, 4, 4, 17, 10, 7, 7, 5, 8, 8, 8, 4, 8, 8, 8, 12};
constexpr int HeaderKeys[18] = {142, 143, 144, 169, 170, 145, 146, 147, 148,
                                157, 150, 151, 152, 159, 160, 162, 166, 167};
constexpr int ListColumns = 18;
// The columns the in-place edit may open over.
constexpr int EditableColumns = 6;
// The first column of the measured values (after date, time, number, position).
constexpr int FirstValueColumn = 6;

// "??????_??????_????-??-??.csv" (written apart so that no "??-" is read as a trigraph).
const QString FileNamePattern = QStringLiteral("??????_??????_????"
                                               "-??"
                                               "-??.csv");

FlexGrid* Grid()
{
    return MainControl<FlexGrid>(QStringLiteral("MfgForwardList"));
}

QString Ui(int key)
{
    return Global::UiText.value(key);
}

// The format string of the list: 18 centred columns, each as wide as its
// run of blanks.
QString ListFormat()
{
    QStringList parts;
    for (int w : ColumnBlanks)
        parts << u'^' + QString(w, u' ');
    return parts.join(u'|');
}

void ClearCurveGraph()
{
    if (auto* pic = MainControl<QLabel>(QStringLiteral("Pic_3")))
        pic->clear();
}

// The numbered models 6 and 7, and the lettered models "A" to "H".
bool Model6or7(const MeasRecord& rec)
{
    const double m = NumText::Val(rec.F[40]);
    return m == 6 || m == 7;
}

bool LetterModel(const MeasRecord& rec)
{
    const QString m = rec.F[40].toUpper();
    return m.size() == 1 && m[0] >= u'A' && m[0] <= u'H';
}

// A whole-watt Pm: an empty text stays empty, a text that is no number is
// shown as it is.
QString WholeWatts(const QString& text)
{
    if (text.isEmpty() || !NumText::IsNumeric(text))
        return text;
    return NumText::Format(NumText::Val(text), QStringLiteral("0"));
}

QString JudgementText(const QString& result, bool withMiddle)
{
    if (result == u"1")
        return Ui(580);
    if (result == u"2" && withMiddle)
        return Ui(581);
    if (result == u"3")
        return Ui(582);
    return QStringLiteral("--");
}

// The records 0 .. n-1 the list and its flags cover together.
int TickedRange(const FlexGrid* g)
{
    int n = std::min<int>(Global::ForwardFileCount, int(Global::ForwardTick.size()) - 1);
    if (g)
        n = std::min(n, g->Rows() - 1);
    return std::max(n, 0);
}

// The record of a file that cannot be read: its date, time and number from
// its name ("YYMMDD_HHNNSS_NNNN-AA-SS.csv"), everything else empty.
MeasRecord RecordNamedByFile(const QString& name)
{
    MeasRecord rec;
    rec.F[MeasRecord::Date] = name.mid(0, 2) + u'/' + name.mid(2, 2) + u'/' + name.mid(4, 2);
    rec.F[MeasRecord::Time] = name.mid(7, 2) + u':' + name.mid(9, 2) + u':' + name.mid(11, 2);
    rec.F[MeasRecord::Number] = name.mid(14, 10);
    return rec;
}

// Paints row `row`: back colour `color`, black text, every column.
void PaintRow(FlexGrid* g, int row, quint32 color)
{
    for (int c = 0; c < g->Cols(); ++c) {
        g->setCellBackColor(row, c, color);
        g->setCellForeColor(row, c, 0x000000);
    }
}

} // namespace

QList<int> ForwardListHeaderKeys()
{
    return QList<int>(std::begin(HeaderKeys), std::end(HeaderKeys));
}

QStringList ForwardListCells(const MeasRecord& rec)
{
    const auto& F = rec.F;
    const double version = NumText::Val(F[42]);
    const bool model67 = Model6or7(rec);
    const bool letter = LetterModel(rec);
    const bool noOutside = model67 || letter;

    QStringList c;
    c.reserve(ListColumns);
    c << F[1] << F[2] << F[0].left(4) << F[0].mid(5, 2) << F[0].right(2) << F[3];
    c << WholeWatts(F[15]);
    c << NumText::Format(NumText::Val(F[16]), version >= 8 ? QStringLiteral("0.0") : QStringLiteral("0"));
    c << NumText::Format(NumText::Val(F[17]), model67        ? QStringLiteral("0.0")
                                              : version >= 8 ? QStringLiteral("0.000")
                                                             : QStringLiteral("0.00"));
    c << F[43] << F[8];
    c << (noOutside ? QStringLiteral("--") : F[10]);
    c << F[12];
    QString dirt = QStringLiteral("--");
    bool dirtShown = false;
    if (!noOutside && (F[25] == u"1" || F[25] == u"2")) {
        dirt = Ui(F[25] == u"1" ? 511 : 512);
        dirtShown = true;
    }
    c << dirt << (dirtShown ? F[26] : QStringLiteral("--"));

    if (F[31] == u"2") {
        c << QStringLiteral("--") << QStringLiteral("--/--") << QStringLiteral("--");
    } else if (letter) {
        if (version > 8.3)
            c << F[32] << F[33] + QStringLiteral("/--") << JudgementText(F[37], false);
        else
            c << QStringLiteral("--") << QStringLiteral("--/--") << QStringLiteral("--");
    } else {
        c << F[32] << F[33] + u'/' + F[34] << JudgementText(F[37], true);
    }
    return c;
}

QString ForwardEditText(const MeasRecord& rec, int column)
{
    const auto& F = rec.F;
    switch (column) {
    case 0:
        return F[1];
    case 1:
        return F[2];
    case 2:
        return F[0].left(4);
    case 3:
        return F[0].mid(5, 2);
    case 4:
        return F[0].right(2);
    case 5:
        return F[3];
    default:
        return QString();
    }
}

void ForwardListIni()
{
    Guarded(QStringLiteral("ForwardListIni"), [&] {
        FlexGrid* g = Grid();
        if (!g)
            return;
        const bool loading = Global::ForwardListLoading;
        Global::ForwardListLoading = true;
        g->setRedraw(false);
        g->Clear();
        g->setRows(2);
        g->setGridFont(QStringLiteral("MS Gothic"), 9);
        g->setFormatString(ListFormat());
        for (int c = 0; c < ListColumns; ++c) {
            g->setTextMatrix(0, c, Ui(HeaderKeys[c]));
            g->setCellAlignment(0, c, FlexGrid::flexAlignCenterCenter);
        }
        g->setRows(1);
        g->setRow(0);
        g->setCol(1);
        g->setRedraw(true);
        g->viewport()->update();
        Global::ForwardListLoading = loading;
        ClearCurveGraph();
    });
}

void ForwardDataView()
{
    FlexGrid* g = Grid();
    const bool loading = Global::ForwardListLoading;
    try {
        const QString folder = Global::DataFolder + QStringLiteral("/FORWARD_DATA");
        MakeFolder(folder + u'/');
        // What an interrupted read-out may have left of its writes.
        RemoveLeftoverTempFiles(folder);

        // Everything is built aside and swapped in at the end, so that the
        // records, paths, count and ticks always describe the same rows.
        const QDir dir(folder);
        const int files = FileCount(folder);
        const int upper = std::max(files, Global::ForwardRecordsMinUpper);
        QStringList names;
        for (const QString& name : dir.entryList({FileNamePattern}, QDir::Files, QDir::NoSort)) {
            if (HasDependentChar(name))
                continue;
            if (names.size() > upper)
                break;
            names << folder + u'/' + name;
        }
        if (!names.isEmpty())
            QuickSortStrings(names, 0, int(names.size()) - 1);

        std::vector<MeasRecord> records;
        DimRecords(records, upper);
        std::vector<QString> paths(std::size_t(upper) + 1);
        std::vector<bool> unreadable(std::size_t(upper) + 1, false);
        int count = 0;
        for (const QString& path : names) {
            // A file that cannot be read, or holds nothing, still gets its
            // row (named by its file name, its values empty), so that it can
            // be ticked and deleted like any other.
            const std::optional<QByteArray> bytes = ReadFileBytes(path);
            if (bytes && !bytes->isEmpty()) {
                records[std::size_t(count)] = ReadMeasFileBytes(*bytes, MeasFileVariant::ReadOut);
            } else {
                records[std::size_t(count)] = RecordNamedByFile(QFileInfo(path).fileName());
                unreadable[std::size_t(count)] = true;
            }
            paths[std::size_t(count)] = path;
            ++count;
            LongWork::Pump();
        }

        Global::ForwardRecords = std::move(records);
        Global::ForwardFilePaths = std::move(paths);
        Global::ForwardFileCount = count;
        Global::ForwardTick.assign(std::size_t(count) + 1, 0);
        Global::CurForwardRow = -1;

        if (!g)
            return;
        Global::ForwardListLoading = true;
        ForwardListIni();
        if (auto* all = MainControl<QPushButton>(QStringLiteral("CmdFwdAll")))
            all->hide();
        g->setRedraw(false);
        g->setRows(count + 1);
        for (int k = 0; k < count; ++k) {
            QStringList cells = ForwardListCells(Global::ForwardRecords[std::size_t(k)]);
            if (unreadable[std::size_t(k)])
                for (int c = FirstValueColumn; c < ListColumns; ++c)
                    cells[c].clear();
            for (int c = 0; c < ListColumns; ++c)
                g->setTextMatrix(k + 1, c, cells[c]);
        }
        g->setRedraw(true);
        g->viewport()->update();
        ClearCurveGraph();
        if (auto* all = MainControl<QPushButton>(QStringLiteral("CmdFwdAll")))
            all->setVisible(count > 0);
        Global::ForwardListLoading = loading;
    } catch (const ProgramEnded&) {
        Global::ForwardListLoading = loading;
        throw;
    } catch (...) {
        Global::ForwardListLoading = loading;
        if (g && !g->Redraw()) {
            g->setRedraw(true);
            g->setFocus();
        }
        ShowErrorReport(QStringLiteral("ForwardDataView"), ToAppError(std::current_exception()));
    }
}

void ForwordDisplayInitial()
{
    Guarded(QStringLiteral("ForwordDisplayInitial"), [&] {
        auto* names = MainControl<QComboBox>(QStringLiteral("CmbUserName_1"));
        auto* codes = MainControl<QComboBox>(QStringLiteral("CmbCodeName_1"));
        if (names && codes) {
            const QSignalBlocker b1(names);
            const QSignalBlocker b2(codes);
            names->clear();
            codes->clear();
            const int n = std::clamp<int>(Global::UserListCount, 0, int(Global::UserListItems.size()));
            for (int i = 0; i < n; ++i) {
                names->addItem(Global::UserListItems[std::size_t(i)].CustomerName);
                codes->addItem(Global::UserListItems[std::size_t(i)].CustomerCode);
            }
            names->setCurrentIndex(-1);
            codes->setCurrentIndex(-1);
        }
        if (auto* site = MainControl<QLabel>(QStringLiteral("LblSiteName_1")))
            site->clear();
        if (auto* history = MainControl<QComboBox>(QStringLiteral("CmbHistorySel_1"))) {
            const QSignalBlocker b(history);
            history->clear();
        }
        Global::CurForwardRow = -1;
        ForwardDataView();
    });
}

namespace {

// The read and delete buttons stay disabled from the first step of either
// command to its end, whichever way it ends; meanwhile the windows take no
// input (long work).
class InstrumentCommand {
  public:
    InstrumentCommand()
        : forward(MainControl<QPushButton>(QStringLiteral("CmdDataForward"))),
          erase(MainControl<QPushButton>(QStringLiteral("CmdDataDelete")))
    {
        enable(false);
    }
    ~InstrumentCommand() { enable(true); }
    InstrumentCommand(const InstrumentCommand&) = delete;
    InstrumentCommand& operator=(const InstrumentCommand&) = delete;

  private:
    void enable(bool on)
    {
        if (forward)
            forward->setEnabled(on);
        if (erase)
            erase->setEnabled(on);
    }
    const LongWork work;
    QPointer<QPushButton> forward;
    QPointer<QPushButton> erase;
};

} // namespace

void CmdDataForward_Click()
{
    const InstrumentCommand command;
    Guarded(QStringLiteral("CmdDataForward_Click"), [&] {
        IV_TRACER_DEVICE_CHECK();
        Global::UsbNotFoundFlag = false;
        ReadOutOutcome outcome;
        const bool ok = QtmForwordData(&outcome);
        if (!ok && Global::UsbNotFoundFlag) {
            MsgBox(Ui(UiInstrumentNotFound), vbOKOnly | vbExclamation);
            // Files written before the link failed (the clock setting) are
            // listed all the same, and the user is told what was saved.
            if (outcome.written > 0) {
                ShowReadOutSavedNote(outcome);
                ForwardDataView();
            }
        } else {
            ForwardDataView();
        }
    });
}

void CmdDataDelete_Click()
{
    const InstrumentCommand command;
    const bool done = Guarded(QStringLiteral("CmdDataDelete_Click"), [&] {
        IV_TRACER_DEVICE_CHECK();
        if (!IV_TRACER_DEVICE_OPEN(false))
            return;
        const int answer = MsgBox(Ui(UiDeleteInstrumentQuestion), vbYesNo | vbExclamation | vbDefaultButton2);
        // "Done" only when the command reached the instrument.
        if (answer == vbYes && SolarSend(QStringLiteral("#DELETE")))
            MsgBox(Ui(UiDeleteInstrumentDone), vbOKOnly | vbInformation);
        IV_TRACER_DEVICE_CLOSE();
    });
    if (!done && Global::UsbOpenFlag)
        IV_TRACER_DEVICE_CLOSE();
}

void CmdFwdAll_Click()
{
    Guarded(QStringLiteral("CmdFwdAll_Click"), [&] {
        FlexGrid* g = Grid();
        const int n = TickedRange(g);
        bool anyUnticked = false;
        for (int i = 0; i < n; ++i)
            if (Global::ForwardTick[std::size_t(i)] == 0)
                anyUnticked = true;
        // Every row has its own tick cell: each cell that changes runs the
        // tick handler, which sets the flag and paints the row.
        // The drawing stays off for the whole walk (the handler leaves it so).
        if (g) {
            g->setRedraw(false);
            try {
                for (int row = 1; row <= n; ++row)
                    g->setTick(row, anyUnticked);
            } catch (...) {
                g->setRedraw(true);
                throw;
            }
            g->setRedraw(true);
            g->viewport()->update();
            g->setFocus();
        }
        for (int i = 0; i < n; ++i)
            Global::ForwardTick[std::size_t(i)] = anyUnticked ? 1 : 0;
    });
}

void ChkFwdSel_Click(int row, bool ticked)
{
    if (Global::ForwardListLoading)
        return;
    Guarded(QStringLiteral("ChkFwdSel_Click"), [&] {
        const int r = row - 1;
        if (r >= 0 && r < int(Global::ForwardTick.size()) - 1)
            Global::ForwardTick[std::size_t(r)] = ticked ? 1 : 0;
        const quint32 color = ticked ? ForwardTickedColor : ForwardUntickedColor;
        FlexGrid* g = Grid();
        if (!g)
            return;
        if (g->Rows() > 1 && row >= 1 && row < g->Rows()) {
            // The current record (CurForwardRow) stays; only the grid's
            // current row moves to the ticked row. Drawing that is off
            // already belongs to a caller that changes many rows.
            const bool redraw = g->Redraw();
            if (redraw)
                g->setRedraw(false);
            g->setRow(row);
            PaintRow(g, row, color);
            if (redraw) {
                g->setRedraw(true);
                g->viewport()->update();
            }
        }
        if (g->Redraw())
            g->setFocus();
    });
}

void MfgForwardList_Scroll()
{
    if (Global::ForwardListLoading)
        return;
    Guarded(QStringLiteral("MfgForwardList_Scroll"), [&] {
        FlexGrid* g = Grid();
        if (!g)
            return;
        // The tick cells show the flags of their records; rows the flags do
        // not cover are never read.
        const int n = TickedRange(g);
        for (int row = 1; row <= n; ++row) {
            const bool want = Global::ForwardTick[std::size_t(row - 1)] == 1;
            if (bool(g->Tick(row)) != want)
                g->setTick(row, want);
        }
        g->setFocus();
    });
}

void MfgForwardList_MouseMove(Qt::MouseButtons, QPoint pos)
{
    TrackGridPointer(Grid(), pos, Global::FwdListMouseX, Global::FwdListMouseY);
}

void MfgForwardList_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint)
{
    Guarded(QStringLiteral("MfgForwardList_MouseDown"), [&] {
        FlexGrid* g = Grid();
        if (!g || g->Rows() <= 1 || button != Qt::LeftButton)
            return;
        const auto held = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        // A press on a row's tick cell ticks it; like the tick boxes beside
        // the rows it leaves the current record as it was.
        const bool onTick = g->MouseRow() >= 1 && g->MouseCol() < 0;
        if (held != Qt::ControlModifier && !onTick)
            Global::CurForwardRow = g->Row() - 1;
        g->setFocus();
    });
}

void MfgForwardList_DblClick()
{
    Guarded(QStringLiteral("MfgForwardList_DblClick"), [&] {
        FlexGrid* g = Grid();
        auto* box = MainControl<QLineEdit>(QStringLiteral("TxtPoinrIn_1"));
        if (!g || !box || g->Rows() <= 1 || Global::CurForwardRow < 0 ||
            Global::CurForwardRow >= Global::ForwardFileCount ||
            Global::CurForwardRow >= int(Global::ForwardRecords.size()))
            return;
        const int row = g->Row() >= 1 ? g->Row() : Global::CurForwardRow + 1;
        const MeasRecord& rec = Global::ForwardRecords[std::size_t(Global::CurForwardRow)];
        const int column = OpenGridEditBox(g, box, row, Global::FwdListMouseX, EditableColumns,
                                           [&rec](int c) { return ForwardEditText(rec, c); });
        if (column >= 0)
            Global::EditColForward = column;
    });
}

void ConnectForwardTab()
{
    QWidget* form = MainWindow();
    if (!form)
        return;
    if (auto* b = MainControl<QPushButton>(QStringLiteral("CmdDataForward")))
        QObject::connect(b, &QPushButton::clicked, form, [] { CmdDataForward_Click(); });
    if (auto* b = MainControl<QPushButton>(QStringLiteral("CmdDataDelete")))
        QObject::connect(b, &QPushButton::clicked, form, [] { CmdDataDelete_Click(); });
    if (auto* b = MainControl<QPushButton>(QStringLiteral("CmdFwdAll")))
        QObject::connect(b, &QPushButton::clicked, form, [] { CmdFwdAll_Click(); });
    FlexGrid* g = MainControl<FlexGrid>(QStringLiteral("MfgForwardList"));
    if (!g)
        return;
    QObject::connect(g, &FlexGrid::TickChanged, form,
                     [](int row, bool ticked) { ChkFwdSel_Click(row, ticked); });
    QObject::connect(g, &FlexGrid::Scroll, form, [] { MfgForwardList_Scroll(); });
    QObject::connect(g, &FlexGrid::MouseMove, form,
                     [](Qt::MouseButtons buttons, QPoint pos) { MfgForwardList_MouseMove(buttons, pos); });
    QObject::connect(g, &FlexGrid::MouseDown, form,
                     [](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos) {
                         MfgForwardList_MouseDown(button, modifiers, pos);
                     });
    QObject::connect(g, &FlexGrid::DblClick, form, [] { MfgForwardList_DblClick(); });
}

void ForwardListEditCommit(const QString& typed)
{
    FlexGrid* g = Grid();
    const int r = Global::CurForwardRow;
    const int column = Global::EditColForward;
    if (!g || r < 0 || r >= Global::ForwardFileCount || r >= int(Global::ForwardRecords.size()) ||
        r >= int(Global::ForwardFilePaths.size()) || r + 1 >= g->Rows() || column < 0 ||
        column >= EditableColumns)
        return;
    const QString oldPath = Global::ForwardFilePaths[std::size_t(r)];
    if (oldPath.isEmpty())
        return;
    const std::optional<MeasRecord> edited =
        TakeMeasEdit(Global::ForwardRecords[std::size_t(r)], column, typed, g->TextMatrix(r + 1, column));
    if (!edited)
        return;

    // The read-out file carries no measuring position.
    MeasRecord rec = *edited;
    MeasFileWriteOptions options;
    options.variant = MeasFileVariant::ReadOut;
    const QByteArray bytes = MeasFileBytes(rec, options);
    const QString newPath = MeasEditTarget(oldPath, rec);

    // Every edit leaves a copy in a backup folder of its own second.
    const QString backup = Global::DataFolder + QStringLiteral("/BACKUP_DATA/") +
                           CurrentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss"));
    const bool backupMade = FolderCheck(backup).isEmpty();
    if (backupMade)
        MakeFolderOrThrow(backup);
    try {
        CommitMeasEditFiles(oldPath, {{newPath, bytes}, {backup + u'/' + QFileInfo(newPath).fileName(), bytes}});
    } catch (...) {
        if (backupMade)
            QDir().rmdir(backup);
        throw;
    }

    Global::ForwardRecords[std::size_t(r)] = rec;
    Global::ForwardFilePaths[std::size_t(r)] = newPath;
    g->setTextMatrix(r + 1, column, ForwardEditText(rec, column));
    g->setFocus();
}
