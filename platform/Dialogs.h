#pragma once
// Every message box, input box and file, colour or folder choice goes
// through one Dialogs object, so that tests can answer them in order and see
// what was asked. The Qt implementation shows real dialogs.
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QWidget;

// Message box style bits and answers, as the program names them.
enum : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton1 = 0,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
};
enum : int { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

// The program's title, used when a box has no title of its own.
inline const QString AppTitle = QStringLiteral("Heliodex");

struct MessageRequest {
    QString text;
    QString title;   // never empty: AppTitle when the caller gave none
    int buttons = 0; // style & 7
    int icon = 0;    // style & 0x70
    int defaultButton = 0; // 0, 1 or 2
    QWidget* owner = nullptr;
};

struct FileRequest {
    QString title;
    // The program's filter text: "description|patterns|description|patterns"
    // (patterns separated by ";"), as the language files hold it, or a Qt
    // filter "Pictures (*.jpg *.bmp)".
    QString filter;
    QString startDir;
};

// A filter of FileRequest in Qt's form: each "description|patterns" pair
// becomes a "description (patterns)" line; a text without "|" is taken as
// it stands.
QString QtFileFilter(const QString& filter);

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Returns vbOK, vbYes, ...
    virtual int message(const MessageRequest& r) = 0;
    // Returns the typed text, or nullopt for Cancel.
    virtual std::optional<QString> input(const QString& prompt, const QString& title,
                                         const QString& defaultText) = 0;
    // Returns the chosen file path, empty for Cancel.
    virtual QString openFile(const FileRequest& r) = 0;
    // Returns the chosen colour as 0x00BBGGRR, nullopt for Cancel.
    virtual std::optional<quint32> chooseColor(quint32 initial) = 0;
    // Returns the chosen folder, empty for Cancel.
    virtual QString chooseFolder(const QString& title, const QString& startDir) = 0;
};

namespace Global {
// The dialogs in use; the Qt implementation unless a test installed another.
inline std::unique_ptr<Dialogs> CurrentDialogs;
} // namespace Global

// The answer of a message box's default button (vbOK, vbNo, ...).
int DefaultAnswer(const MessageRequest& r);

Dialogs& dialogs();
// Installs `d` (takes ownership) and returns a pointer to it.
Dialogs* setDialogs(std::unique_ptr<Dialogs> d);

// A message box: `style` is buttons | icon | default button. Returns the answer.
int MsgBox(const QString& text, int style = vbOKOnly, const QString& title = QString(),
           QWidget* owner = nullptr);

// Input box; nullopt for Cancel.
std::optional<QString> InputBox(const QString& prompt, const QString& title = QString(),
                                const QString& defaultText = QString());
