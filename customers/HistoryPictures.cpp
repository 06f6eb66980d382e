#include "customers/HistoryPictures.h"

#include "common/AppGlobals.h"
#include "common/Controls.h"
#include "common/FileHelpers.h"
#include "common/TextHelpers.h"
#include "customers/CustomerCommands.h"
#include "customers/CustomerGlobals.h"
#include "catalog/ModelPictures.h"
#include "customers/Pictures.h"
#include "customers/TabControls.h"
#include "customers/UserData.h"
#include "platform/AppError.h"
#include "platform/Dialogs.h"
#include "platform/FileIo.h"

#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QTabWidget>

namespace {

using namespace Customer;
using namespace CustomerUi;

// The slot chosen by `OpPicSel`; slot 0 when no option is on.
int ChosenSlot()
{
    for (int i = 0; i < PictureSlots; ++i)
        if (auto* op = MainControl<QRadioButton>(CustomerUi::Indexed("OpPicSel", i)); op && op->isChecked())
            return i;
    return 0;
}

QLabel* PictureBox()
{
    return qobject_cast<QLabel*>(CustomerUi::Required("ImgPic", 0));
}

// Writes the history's PictureData.csv from its picture references: the
// file name of each slot whose picture exists, else an empty line.
void WritePictureData(const QString& historyFolder, const HistoryRecord& h)
{
    PictureNames names;
    for (int k = 0; k < PictureSlots; ++k)
        names[std::size_t(k)] = FileCheck(h.PicturePaths[std::size_t(k)]);
    const QString path = historyFolder + QStringLiteral("/PictureData.csv");
    if (!WriteFileAtomic(path, PictureDataBytes(names)))
        throw AppError(75, AppError::standardText(75) + QStringLiteral(": ") + path);
}

void RegisterHistoryPicture()
{
    TakeBackShownCustomer();
    const std::size_t page = ShownPage();
    HistoryRecord& h = Global::HistoryRecords[page];
    if (h.HistoryName.isEmpty())
        return;
    // The picture goes into the folder of a saved customer only: never into
    // a folder of another customer, nor one the save would then refuse.
    if (Global::LoadedCustomerKey.isEmpty()) {
        CustomerUi::Refuse(UiSaveCustomerFirst);
        return;
    }
    const QString folderName = HistoryFolderOf(h, int(page));
    if (!FileNameErrorCheck(h.HistoryName)) {
        CustomerUi::Refuse(UiHistoryNameForbidden);
        return;
    }
    if (!IsPortableName(folderName)) {
        CustomerUi::Refuse(UiNameNotPortable);
        return;
    }
    const QString historyFolder = UserDataFolder(Global::LoadedCustomerKey) + u'/' + folderName;
    // The history's picture folder whichever language named it; a new one
    // under the name of the language in use.
    QString pictureFolder = NamedFolderIn(historyFolder, PictureFolderNames(), PictureFolderName());
    if (pictureFolder.isEmpty())
        pictureFolder = historyFolder + u'/' + PictureFolderName();
    MakeFolder(pictureFolder);
    if (!FolderCheck(historyFolder).isEmpty())
        h.FolderName = folderName;

    const int slot = ChosenSlot();
    const QString chosen =
        dialogs().openFile(FileRequest{QString(), Global::UiText.value(UiPictureFilter), QString()});
    if (chosen.isEmpty())
        return;
    if (FileCheck(chosen).isEmpty()) {
        h.PicturePaths[std::size_t(slot)].clear();
    } else {
        QString copy;
        // A copy that fails has been reported; the slot keeps its picture.
        if (!PicCopySizeDown(chosen, pictureFolder, &copy))
            return;
        h.PicturePaths[std::size_t(slot)] = pictureFolder + u'/' + copy;
    }
    WritePictureData(historyFolder, h);

    if (auto* op = MainControl<QRadioButton>(CustomerUi::Indexed("OpPicSel", slot)))
        op->setChecked(true);
    OpPicSel_Click(slot);
}

} // namespace

QString HistoryFolderPath(int page)
{
    if (Global::LoadedCustomerKey.isEmpty() || page < 0 || page >= HistorySlots)
        return QString();
    const HistoryRecord& h = Global::HistoryRecords[std::size_t(page)];
    if (h.FolderName.isEmpty() && h.HistoryName.isEmpty())
        return QString();
    const QString name = HistoryFolderOf(h, page);
    if (!IsSafeNamePart(name))
        return QString();
    return UserDataFolder(Global::LoadedCustomerKey) + u'/' + name;
}

void OpPicSel_Click(int index)
{
    Guarded(QStringLiteral("OpPicSel_Click"), [&] {
        if (index < 0 || index >= PictureSlots)
            throw AppError(9);
        FitPictureToFrame(PictureBox(), Global::HistoryRecords[ShownPage()].PicturePaths[std::size_t(index)],
                          Pictures::HistoryFrameWidth, Pictures::HistoryFrameHeight);
    });
}

void CmdPicReg_Click(int index)
{
    if (index == 2 || index == 4) {
        ModelPictureRegister(index);
        return;
    }
    if (index == 0)
        Guarded(QStringLiteral("CmdPicReg_Click"), [] { RegisterHistoryPicture(); });
}

void OpPicSel_MouseDown(int index, Qt::MouseButton button, const QPoint& globalPos)
{
    if (button != Qt::RightButton || index < 0 || index >= PictureSlots)
        return;
    auto* op = MainControl<QRadioButton>(CustomerUi::Indexed("OpPicSel", index));
    const std::int32_t page = Global::HistoryPage;
    if (!op || !op->isChecked() || page < 0 || page >= HistorySlots ||
        Global::HistoryRecords[std::size_t(page)].PicturePaths[std::size_t(index)].isEmpty())
        return;
    if (auto* menu = MainControl<QMenu>(QStringLiteral("MnuPicDel")))
        menu->popup(globalPos);
}

void MnuPicDelete_Click()
{
    const int tab = CustomerUi::MainTab();
    if (tab == 3) {
        if (auto* sub = MainControl<QTabWidget>(QStringLiteral("SSTab2")); sub && sub->currentIndex() >= 0)
            ModelPictureRemove(sub->currentIndex());
        return;
    }
    if (tab != 0)
        return;
    Guarded(QStringLiteral("MnuPicDelete_Click"), [] {
        TakeBackShownCustomer();
        const std::size_t page = ShownPage();
        const int slot = ChosenSlot();
        FitPictureToFrame(PictureBox(), QString(), Pictures::HistoryFrameWidth, Pictures::HistoryFrameHeight);
        HistoryRecord& h = Global::HistoryRecords[page];
        h.PicturePaths[std::size_t(slot)].clear();
        // A history not on disk yet has no file to rewrite; the next save
        // writes it.
        const QString folder = HistoryFolderPath(int(page));
        if (!folder.isEmpty() && !FolderCheck(folder).isEmpty())
            WritePictureData(folder, h);
    });
}
