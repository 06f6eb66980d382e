#include "customers/CustomerTab.h"

#include "catalog/ArraySet.h"
#include "common/AppGlobals.h"
#include "common/Captions.h"
#include "common/Controls.h"
#include "customers/CustomerGlobals.h"
#include "customers/Pictures.h"
#include "customers/TabControls.h"
#include "customers/UserData.h"
#include "platform/AppError.h"
#include "platform/FlexGrid.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <memory>

namespace {

using namespace Customer;
using CustomerUi::Enable;
using CustomerUi::Indexed;
using CustomerUi::Show;

// ---- Reset -------------------------------------------------------------------

// The boxes of the customer tab that hold what the user types.
void ForEachInputBox(const std::function<void(const QString&)>& f)
{
    for (int k = 0; k <= 12; ++k)
        f(Indexed("TxtIn", k));
    for (int i = 0; i < ContractorCount; ++i)
        for (const char* n : {"TxtCompanyName", "TxtCompanyTel", "TxtCompanyCharge"})
            f(Indexed(n, i));
}

void EmptyInputs(bool enabled)
{
    ForEachInputBox([&](const QString& name) {
        Show(name, QString());
        Enable(name, enabled);
    });
    for (const char* label : {"LblModulePmMax", "LblDate", "LblMeasDataPm", "LblMeasDataVoc", "LblMeasDataIsc"})
        Show(QString::fromLatin1(label), QString());
    // Slot 1 is chosen before the box is emptied, so that what the choice
    // shows never outlives the reset.
    if (auto* op = qobject_cast<QRadioButton*>(CustomerUi::Required("OpPicSel", 0)))
        op->setChecked(true);
    FitPictureToFrame(qobject_cast<QLabel*>(CustomerUi::Required("ImgPic", 0)), QString(),
                      Pictures::HistoryFrameWidth, Pictures::HistoryFrameHeight);
    for (int i = 0; i < PictureSlots; ++i)
        Enable("OpPicSel", i, enabled);
    Enable("CmdScl", 0, enabled);
    Enable("CmdScl", 1, enabled);
    Enable("CmdPicReg", 0, enabled);
    Show(QStringLiteral("LblPage"), QString());
    Show(QStringLiteral("LblTotalPage"), QString());
}

// The array configuration window's controls, when the window has them.
// Emptying its counts and choices runs its own handlers, which recompute
// its totals; that is wanted.
void ResetArraySet(bool everything)
{
    QWidget* form = ArraySetForm();
    if (!form)
        return;
    auto find = [form](const QString& name) { return form->findChild<QObject*>(name); };
    auto noChoice = [&](const QString& name) {
        if (auto* c = qobject_cast<QComboBox*>(find(name)))
            c->setCurrentIndex(-1);
    };
    auto empty = [&](const QString& name) {
        if (QObject* o = find(name))
            SetTextOf(o, QString());
    };
    for (int r = 0; r < RowCount; ++r) {
        noChoice(Indexed("CmbModSel", r));
        for (const char* n : {"TxtCnt", "TxtCntH", "LblPm", "LblVoc", "LblIsc"})
            empty(Indexed(n, r));
    }
    if (everything)
        empty(QStringLiteral("TxtExData"));
    for (int g = 0; g < GroupCount; ++g) {
        for (const char* n : {"CmbMaker", "CmbNoSel", "CmbPowConMaker", "CmbPowConSerial"})
            noChoice(Indexed(n, g));
        if (everything)
            for (const char* n : {"LblPmTemp", "LblAlpha", "LblBeta", "LblRs", "LblK"})
                empty(Indexed(n, g));
    }
}

// No customer on the tab: empty, locked, no row highlighted.
void ShowNoCustomer()
{
    UserDataClearLock();
    UserRawBackClear();
    Global::CurUserRow = 0;
}

// ---- Events the main window's widgets do not signal ----------------------------

// Focus changes caused by another window coming to the front (a message
// box, another program) are no move of the user between controls.
bool MovedBetweenControls(const QEvent* event)
{
    const auto reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

class CustomerTabEvents : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QString name = watched->objectName();
        switch (event->type()) {
        case QEvent::FocusIn:
            if (name == u"TxtIn_11" && MovedBetweenControls(event))
                TxtIn_GotFocus(11);
            break;
        case QEvent::FocusOut:
            if (name == u"TxtIn_11" && MovedBetweenControls(event))
                TxtIn_LostFocus(11);
            break;
        case QEvent::KeyRelease:
            if (name == u"TxtIn_11")
                TxtIn_KeyUp(11);
            break;
        case QEvent::MouseButtonPress: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const int index = name.section(u'_', -1).toInt();
            if (name.startsWith(u"LblUserMess_"))
                LblUserMess_MouseDown(index, mouse->button(), mouse->globalPosition().toPoint());
            else if (name.startsWith(u"OpPicSel_") && mouse->button() == Qt::RightButton) {
                OpPicSel_MouseDown(index, mouse->button(), mouse->globalPosition().toPoint());
                return true; // a right click chooses no slot
            }
            break;
        }
        default:
            break;
        }
        return false;
    }
};

} // namespace

// ---- Reset -------------------------------------------------------------------

void UserDataClearLock()
{
    Guarded(QString(), [] {
        Global::HistoryRecords.fill(HistoryRecord{});
        Global::ContractorRecords.fill(ContractorRecord{});
        Global::LoadedCustomerKey.clear();
        if (!MainWindow())
            return;
        EmptyInputs(false);
        ResetArraySet(true);
    });
}

void UserDataInitial()
{
    Guarded(QStringLiteral("UserDataClear"), [] {
        if (MainWindow()) {
            EmptyInputs(true);
            Enable(QStringLiteral("CmdDelete"), true);
            ResetArraySet(false);
            for (int i : {0, 10, 11})
                Enable("CmdBtn", i, true);
        }
        Global::HistoryPage = 0;
    });
}

// ---- Customer choice ---------------------------------------------------------

void MfgUserList_Click()
{
    if (CustomerUi::MainTab() == 0 && Global::TabModified[0]) {
        Global::TabModified[0] = false;
        // A save that does not go through keeps the edits on screen: the
        // other customer is not loaded over them.
        if (CustomerUi::AskSave() && !CmdBtn0_Click(true))
            return;
    }
    Guarded(QStringLiteral("MfgUserList_Click"), [] {
        FlexGrid* grid = CustomerUi::UserGrid();
        if (!grid || grid->Rows() <= 1)
            return;
        UserDataClearLock();
        UserDataInitial();
        UserRawBackClear();
        HighlightCurrentUserRow();

        grid->setCol(0);
        const QString code = grid->Text();
        grid->setCol(1);
        const QString name = grid->Text();
        const QString key = CustomerKey(code, name);

        int found = -1;
        for (int i = 0; i < UserListCapacity; ++i) {
            const UserListItem& item = Global::UserListItems[std::size_t(i)];
            if (CustomerKey(item.CustomerCode, item.CustomerName) == key) {
                found = i;
                break;
            }
        }
        // Nothing of another customer is ever shown for this row.
        if (found < 0 || !UserDataRead(key)) {
            ShowNoCustomer();
            return;
        }
        Global::CurUserIndex = found;
        Global::LoadedCustomerKey = key;
        Show(QStringLiteral("LblPage"), QStringLiteral("1"));

        const UserDataRecordType& u = Global::UserDataRecord;
        const QString* const fields[] = {&u.CustomerCode, &u.CustomerName, &u.NameReading, &u.SiteName,
                                         &u.PostalCode,   &u.Address,      &u.Phone1,      &u.Phone2,
                                         &u.Mail,         &u.RegistrationDate};
        for (int k = 0; k < 10; ++k)
            Show("TxtIn", k, *fields[k]);
        CustomerUi::ShowMemo(QStringLiteral("TxtIn_10"), u.CustomerMemo);

        QWidget* arraySet = ArraySetForm();
        if (arraySet)
            if (auto* tabs = arraySet->findChild<QTabWidget*>(QStringLiteral("SSTab1")))
                tabs->setCurrentIndex(0);
        ShowArraySetData();
        Show(QStringLiteral("LblModulePmMax"), Global::ArrayConfiguration.TotalPm);
        if (arraySet)
            for (int g = 0; g < GroupCount; ++g)
                if (QObject* total = arraySet->findChild<QObject*>(Indexed("LblStringTotalPm", g)))
                    Global::ArrayConfiguration.GroupRatedPm[std::size_t(g)] = CaptionOf(total);

        Global::HistoryPage = 0;
        MeasDataPageChange();
        Enable("CmdPicReg", 0, true);
        Enable("CmdBtn", 0, true);

        if (QWidget* main = MainWindow()) {
            main->show();
            main->update();
        }
        grid->setFocus(Qt::OtherFocusReason);
    });
}

// ---- Wiring ------------------------------------------------------------------

void ConnectCustomerTab()
{
    QWidget* form = MainWindow();
    if (!form)
        return;
    auto button = [form](const QString& name, std::function<void()> handler) {
        if (auto* b = MainControl<QPushButton>(name))
            QObject::connect(b, &QPushButton::clicked, form, [handler] { handler(); });
    };
    for (int i = 0; i <= 17; ++i)
        button(Indexed("CmdBtn", i), [i] { CmdBtn_Click(i); });
    for (int i = 0; i < 2; ++i)
        button(Indexed("CmdScl", i), [i] { CmdScl_Click(i); });
    button(QStringLiteral("CmdDelete"), [] { CmdDelete_Click(); });
    for (int i : {0, 2, 4})
        button(Indexed("CmdPicReg", i), [i] { CmdPicReg_Click(i); });

    if (auto* a = MainControl<QAction>(QStringLiteral("MnuPicDelete")))
        QObject::connect(a, &QAction::triggered, form, [] { MnuPicDelete_Click(); });
    for (int i = 0; i < 2; ++i)
        if (auto* a = MainControl<QAction>(Indexed("MnuCopyPaste", i)))
            QObject::connect(a, &QAction::triggered, form, [i] { MnuCopyPaste_Click(i); });

    if (auto* grid = CustomerUi::UserGrid())
        QObject::connect(grid, &FlexGrid::Click, form, [] { MfgUserList_Click(); });

    auto* events = new CustomerTabEvents(form);
    for (int i = 0; i < PictureSlots; ++i) {
        if (auto* op = MainControl<QRadioButton>(Indexed("OpPicSel", i))) {
            QObject::connect(op, &QRadioButton::toggled, form, [i](bool on) {
                if (on)
                    OpPicSel_Click(i);
            });
            op->installEventFilter(events);
        }
    }
    for (int i : {17, 18, 19})
        if (QObject* label = MainControlObject(Indexed("LblUserMess", i)))
            label->installEventFilter(events);
    if (QObject* name = MainControlObject(Indexed("TxtIn", 11)))
        name->installEventFilter(events);
}
