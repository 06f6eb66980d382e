#pragma once
// Pelmora's plain logic: the command line, the launcher's folder, the path of
// the document and what to ask of the shell. The shell and the message box
// sit behind two small interfaces, so that a test can record every request
// and every box without starting a program or blocking on a window.
#include <QString>
#include <QStringList>

// Window states, with the numbers the shell knows them by.
enum ShowCommand : int {
    SW_SHOWNORMAL = 1,
    SW_SHOWMINIMIZED = 2,
    SW_SHOWMAXIMIZED = 3,
};

// The start document of the disc, beside the launcher.
inline const QString DefaultDocumentName = QStringLiteral("Pelmora.html");

// Room for a full path, terminating NUL included: a document's full path
// must be shorter than this.
inline constexpr int PathBufferChars = 260;

// What the launcher asks of the shell.
struct ShellRequest {
    QString verb;      // empty: the default action of the document's type
    QString file;      // full path of the document
    QString directory; // the launcher's folder, with a trailing separator
    int show = SW_SHOWNORMAL;

    bool operator==(const ShellRequest&) const = default;
};

// What the shell answers. A failure carries the system's error number, its
// own words where it has some (the print command's message), or neither.
struct ShellResult {
    bool opened = false;
    int errorCode = 0;
    QString errorText;
};

class LaunchShell {
  public:
    virtual ~LaunchShell() = default;
    virtual ShellResult Execute(const ShellRequest& request) = 0;
};

class LaunchMessages {
  public:
    virtual ~LaunchMessages() = default;
    // An information box with an OK button, no owner window.
    virtual void Information(const QString& caption, const QString& text) = 0;
};

// The folder part of a path, ending with "/"; empty when the path has none.
QString GetModuleFolder(const QString& path);

// True when the argument, less one leading "-" or "/", equals the switch word
// without regard to case.
bool IsSwitch(const QString& argument, const QString& word);

// The full path of a document argument, relative paths taken against the
// folder. Empty, with *error set to the system's error number, when the
// argument is empty or its full path does not fit the path buffer.
QString DocumentFullPath(const QString& folder, const QString& argument, int* error);

// The request for a named document: the full path, then every switch
// from argument 2 on applied in order (a later one overrides an earlier one
// of its kind; a word that names no switch is ignored).
ShellRequest NamedDocumentRequest(const QString& folder, const QString& fullPath,
                                  const QStringList& arguments);

// The request for the start document in the folder. Its name is looked up
// without regard to case, as a disc may present it in other case.
ShellRequest DefaultDocumentRequest(const QString& folder);

// The text of a failure box: never the system's text for "no error".
QString FailureText(const ShellResult& result);

// The error box: the failure's text under the given caption.
void ShowLastError(LaunchMessages& messages, const QString& caption, const ShellResult& result);

// Opens the start document of the folder; a failure is shown captioned with
// the document's name.
void OpenDefaultDocument(const QString& folder, LaunchShell& shell, LaunchMessages& messages);

// One run: arguments as the C runtime gives them (argument 0 is the program),
// ownPath the launcher's own executable. Makes the launcher's folder the
// current directory, opens one document, shows a box when that fails.
// Always 0.
int LauncherMain(const QStringList& arguments, const QString& ownPath, LaunchShell& shell,
                 LaunchMessages& messages);
