#include "report/ReportContents.h"

#include "common/AppGlobals.h"
#include "common/Controls.h"
#include "common/FileHelpers.h"
#include "customers/CustomerGlobals.h"
#include "customers/Pictures.h"
#include "measview/PlotEngine.h"
#include "measview/Totals.h"
#include "platform/AnsiCodec.h"
#include "platform/NumText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QTabWidget>

namespace {

QString Ui(int key)
{
    return Global::UiText.value(key);
}

bool Ticked(const std::vector<std::uint8_t>& ticks, int i)
{
    return i >= 0 && std::size_t(i) < ticks.size() && ticks[std::size_t(i)] == 1;
}

// The single-letter codes of the KRX family ("A" to "H", any letter case).
bool LetterModel(const QString& f40)
{
    const QString up = f40.toUpper();
    return up.size() == 1 && up[0] >= u'A' && up[0] <= u'H';
}

// The PLV family ("6", "7") measures no outside temperature, dirt or tilt,
// and takes its Isc to one decimal.
bool PlvModel(const QString& f40)
{
    const double v = NumText::Val(f40);
    return v == 6 || v == 7;
}

QString JudgeText(const QString& code, bool cautionShown)
{
    if (code == QLatin1String("1"))
        return Ui(Report::UiJudgeGood);
    if (code == QLatin1String("2") && cautionShown)
        return Ui(Report::UiJudgeCaution);
    if (code == QLatin1String("3"))
        return Ui(Report::UiJudgePoor);
    return QStringLiteral("--");
}

// A value rounded to a pattern and read back, as the totals add it.
double Rounded(double value, const char* pattern)
{
    return NumText::Val(NumText::Format(value, QString::fromLatin1(pattern)));
}

} // namespace

// ---- Rows ------------------------------------------------------------------

std::vector<int> ReportRows(int measFileCount, const std::vector<std::uint8_t>& ticks)
{
    return ReportCurveRecords(measFileCount, ticks);
}

ReportRowTexts ReportRowTextsOf(const MeasRecord& r, bool judgementOn)
{
    using namespace Report;
    const auto& f = r.F;
    const QString& model = f[MeasRecord::Model];
    const double version = NumText::Val(f[MeasRecord::Version]);
    const bool letter = LetterModel(model);
    const bool noWeather = letter || PlvModel(model);

    ReportRowTexts c;
    c[Date] = f[MeasRecord::Date];
    c[Time] = f[MeasRecord::Time];
    c[Code] = f[MeasRecord::Number];
    c[Point] = f[MeasRecord::Position];
    const QString& pm = f[MeasRecord::Pm];
    c[Pm] = NumText::IsNumeric(pm) ? NumText::Format(NumText::Val(pm), QStringLiteral("0")) : pm;
    c[Voc] = NumText::FormatText(f[MeasRecord::Voc], version >= 8 ? QStringLiteral("0.0") : QStringLiteral("0"));
    c[Isc] = NumText::FormatText(f[MeasRecord::Isc], PlvModel(model) ? QStringLiteral("0.0")
                                                     : version >= 8   ? QStringLiteral("0.000")
                                                                      : QStringLiteral("0.00"));
    c[FF] = f[MeasRecord::FillFactor];
    c[CellT] = f[MeasRecord::CellTemp];
    c[OutT] = noWeather ? QStringLiteral("--") : f[MeasRecord::AirTemp];
    c[E] = f[MeasRecord::Irradiance];
    const QString& dirt = f[MeasRecord::Soiling];
    if (!noWeather && (dirt == QLatin1String("1") || dirt == QLatin1String("2"))) {
        c[Dust] = Ui(dirt == QLatin1String("1") ? UiDirtNone : UiDirtSome);
        c[Deg] = f[MeasRecord::Tilt];
    } else {
        c[Dust] = QStringLiteral("--");
        c[Deg] = QStringLiteral("--");
    }

    if (!judgementOn)
        return c;
    const QString none = QStringLiteral("--");
    const QString nonePair = QStringLiteral("--/--");
    if (f[MeasRecord::JudgeSwitch] == QLatin1String("2") || (letter && version <= 8.3)) {
        c[Capa] = none;
        c[DataMeas] = nonePair;
        c[DataJudge] = none;
    } else if (letter) {
        // The KRX family gives one judgement value, and no caution.
        c[Capa] = f[MeasRecord::JudgeValue];
        c[DataMeas] = f[MeasRecord::JudgePairA] + QStringLiteral("/--");
        c[DataJudge] = JudgeText(f[MeasRecord::JudgeResult], false);
    } else {
        c[Capa] = f[MeasRecord::JudgeValue];
        c[DataMeas] = f[MeasRecord::JudgePairA] + u'/' + f[MeasRecord::JudgePairB];
        c[DataJudge] = JudgeText(f[MeasRecord::JudgeResult], true);
    }
    return c;
}

std::vector<ReportRow> ReportRowsShown(const std::vector<MeasRecord>& view, int measFileCount,
                                       const std::vector<std::uint8_t>& ticks, int firstRow, int maxRows,
                                       bool judgementOn)
{
    std::vector<ReportRow> out;
    const std::vector<int> records = ReportRows(measFileCount, ticks);
    for (int q = std::max(firstRow, 0); q < int(records.size()) && int(out.size()) < maxRows; ++q) {
        const int i = records[std::size_t(q)];
        if (std::size_t(i) >= view.size())
            break;
        out.push_back({i, q, ReportRowTextsOf(view[std::size_t(i)], judgementOn)});
    }
    return out;
}

// ---- Totals ----------------------------------------------------------------

ReportTotals ReportTotalsOf(const std::vector<MeasRecord>& view, int measFileCount,
                            const std::vector<std::uint8_t>& ticks)
{
    ReportTotals t;
    for (int i = 1; i <= measFileCount && std::size_t(i) < view.size(); ++i) {
        if (!Ticked(ticks, i))
            continue;
        const auto& f = view[std::size_t(i)].F;
        if (!HasTotalValues(view[std::size_t(i)])) {
            t.leftOut.push_back(i);
            continue;
        }
        t.pmSum += Rounded(NumText::Val(f[MeasRecord::Pm]), "0");
        t.vocSum += Rounded(NumText::Val(f[MeasRecord::Voc]), "0");
        t.iscSum += Rounded(NumText::Val(f[MeasRecord::Isc]), "0.0");
        ++t.count;
    }
    if (t.count == 0)
        return t;
    t.pmTotal = NumText::Str(t.pmSum);
    t.vocMean = NumText::Str(t.vocSum / t.count);
    t.iscTotal = NumText::Str(t.iscSum);
    return t;
}

QString LeftOutMessage(const std::vector<MeasRecord>& view, const std::vector<int>& leftOut)
{
    QStringList lines{Report::LeftOutOfTotals};
    for (int i : leftOut)
        if (i >= 0 && std::size_t(i) < view.size()) {
            const auto& f = view[std::size_t(i)].F;
            lines << f[MeasRecord::Date] + u' ' + f[MeasRecord::Time] + u' ' + f[MeasRecord::Number];
        }
    return lines.join(QStringLiteral("\r\n"));
}

ReportTotalTexts ShownTotals(const QString& pmTotal, const QString& vocMean, const QString& iscTotal,
                             const QString& version)
{
    const bool fine = NumText::Val(version) >= 8;
    return {NumText::FormatText(pmTotal, QStringLiteral("0")),
            NumText::FormatText(vocMean, fine ? QStringLiteral("0.0") : QStringLiteral("0")),
            NumText::FormatText(iscTotal, fine ? QStringLiteral("0.000") : QStringLiteral("0.00"))};
}

ReportTotalTexts ReportTotalLabels(const QString& pmTotal, const QString& vocMean, const QString& iscTotal,
                                   const QString& version)
{
    ReportTotalTexts shown = ShownTotals(pmTotal, vocMean, iscTotal, version);
    if (pmTotal.isEmpty())
        shown.pm.clear();
    if (vocMean.isEmpty())
        shown.voc.clear();
    if (iscTotal.isEmpty())
        shown.isc.clear();
    return shown;
}

QString FirstMeasurementVersion(const std::vector<MeasRecord>& view)
{
    return view.size() > 1 ? view[1].F[MeasRecord::Version] : QString();
}

// ---- Instrument models -----------------------------------------------------

void CountModel(ModelCounts& counts, const QString& f40)
{
    if (f40.isEmpty())
        return;
    const char32_t first = f40.at(0).isHighSurrogate() && f40.size() > 1
                               ? QChar::surrogateToUcs4(f40.at(0), f40.at(1))
                               : char32_t(f40.at(0).unicode());
    ++counts[int(AnsiCodec::charCode(first))];
}

QString ModelName(int code)
{
    switch (code) {
    case '0':
    case '1':
        return QStringLiteral("QTM-310");
    case '2':
    case '3':
        return QStringLiteral("QTM-520");
    case '4':
    case '5':
        return QStringLiteral("QTM-310Z");
    case '6':
        return QStringLiteral("PLV-210V");
    case '7':
        return QStringLiteral("PLV-260V");
    case '8':
    case '9':
        return QStringLiteral("QTM-520Z");
    case 'A':
        return QStringLiteral("KRX-210");
    case 'B':
        return QStringLiteral("KRX-210Z");
    case 'C':
        return QStringLiteral("KRX-210S");
    case 'D':
        return QStringLiteral("KRX-260N");
    case 'E':
        return QStringLiteral("KRX-260Z");
    case 'F':
        return QStringLiteral("KRX-260W");
    case 'G':
        return QStringLiteral("KRX-530N");
    case 'H':
        return QStringLiteral("KRX-530Z");
    default:
        return QString();
    }
}

QString ModelListText(const ModelCounts& counts, const QString& head)
{
    QString text = head;
    for (const auto& [code, n] : counts) {
        if (n <= 0)
            continue;
        const QString name = ModelName(code);
        text += (name.isEmpty() ? QStringLiteral("--") : name) + u' ';
    }
    if (text.endsWith(u' '))
        text.chop(1);
    return text;
}

QString ModelListHead()
{
    const QString own = Ui(Report::UiModelListHead);
    return own.isEmpty() ? Ui(Report::UiModelListFirmwareShared) : own;
}

QString ModelListOf(const std::vector<ReportRow>& rows, const std::vector<MeasRecord>& view)
{
    ModelCounts counts;
    for (const ReportRow& r : rows)
        if (std::size_t(r.record) < view.size())
            CountModel(counts, view[std::size_t(r.record)].F[MeasRecord::Model]);
    return ModelListText(counts, ModelListHead());
}

// ---- Header ----------------------------------------------------------------

ReportHeader ReportHeaderOf(int historyIndex)
{
    const UserDataRecordType& u = Global::UserDataRecord;
    ReportHeader h;
    h.customer = {u.CustomerCode, u.CustomerName, u.NameReading, u.SiteName, u.PostalCode,
                  u.Address,      u.Phone1,       u.Phone2,      u.Mail,     u.RegistrationDate};
    if (historyIndex < 0 || historyIndex >= Customer::HistorySlots)
        return h;
    h.historyChosen = true;
    const HistoryRecord& rec = Global::HistoryRecords[std::size_t(historyIndex)];
    h.measDate = rec.MeasDate;
    h.historyName = rec.HistoryName;
    h.memo = rec.HistoryMemo;
    const ContractorRecord& c = Global::ContractorRecords[std::size_t(historyIndex)];
    for (std::size_t k = 0; k < h.contractors.size(); ++k)
        h.contractors[k] = {c.ContractorNames[k], c.ContractorPhones[k], c.ContractorPersons[k]};
    for (std::size_t k = 0; k < h.photoPaths.size(); ++k)
        h.photoPaths[k] = rec.PicturePaths[k];
    return h;
}

// ---- Installed equipment ---------------------------------------------------

ReportEquipment ReportEquipmentOf(const ArrayConfigurationType& a)
{
    ReportEquipment e;
    e.totalPm = a.TotalPm;
    e.extMemo = a.ExtMemo;
    for (std::size_t g = 0; g < e.groups.size(); ++g) {
        ReportGroupTexts& out = e.groups[g];
        out.maker = a.GroupMaker[g];
        for (std::size_t r = 0; r < out.rows.size(); ++r) {
            const StringRow& s = a.StringRows[g * Customer::RowsPerGroup + r];
            out.rows[r] = {s.ModelCode, s.SeriesCount, s.ParallelCount, s.ModulePm, s.ModuleVoc, s.ModuleIsc};
        }
        const GroupPowConEntry& p = a.GroupPowCon[g];
        out.powConNo = p.PowConNo;
        out.powConMaker = p.PowConMaker;
        out.powConModel = p.PowConModel;
        out.ratedPm = NumText::Val(a.GroupRatedPm[g]) != 0 ? a.GroupRatedPm[g] : QString();
        out.pmTempCoef = a.GroupPmTempCoef[g];
        out.alpha = a.GroupAlpha[g];
        out.beta = a.GroupBeta[g];
        out.rs = a.GroupRs[g];
        out.k = a.GroupK[g];
    }
    return e;
}

// ---- Site photos -----------------------------------------------------------

ReportPhoto LoadReportPhoto(const QString& path, QSizeF frameTwips, double dpiX, double dpiY)
{
    ReportPhoto p;
    p.sizeTwips = frameTwips;
    if (path.isEmpty() || FileCheck(path).isEmpty())
        return p;
    try {
        QImage image = ReadPicture(path);
        const QSizeF natural(PixelsToTwips(image.width(), dpiX), PixelsToTwips(image.height(), dpiY));
        p.sizeTwips = FitPictureSize(natural, frameTwips);
        p.image = std::move(image);
    } catch (const AppError& e) {
        // The report names the file; a file error already carries its path.
        p.error = e.description == AppError::standardText(e.number) ? FileError(e.number, path) : e;
    }
    return p;
}

// ---- What the main window tells the report ---------------------------------

int ReportHistoryIndex()
{
    auto* choice = MainControl<QComboBox>(QStringLiteral("CmbHistorySel_0"));
    return choice ? choice->currentIndex() : -1;
}

bool ReportJudgementOn()
{
    auto* off = MainControl<QCheckBox>(QStringLiteral("ChkJudgeOff"));
    return !off || off->checkState() == Qt::Unchecked;
}

bool ReportPvView()
{
    auto* pv = MainControl<QCheckBox>(QStringLiteral("ChkPV_VIEW"));
    return pv && pv->checkState() == Qt::Checked;
}

int ReportResultView()
{
    auto* views = MainControl<QTabWidget>(QStringLiteral("SSTab3"));
    return views ? views->currentIndex() : -1;
}

QString ReportViewName(int view)
{
    switch (view) {
    case 0:
        return Ui(505);
    case 1:
        return Ui(506);
    case 2:
        return Ui(508);
    default:
        return QString();
    }
}
