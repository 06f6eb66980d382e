#include "Launcher.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

namespace {

// Switch words in the order they are tried; verbs go to the shell exactly as
// written here.
struct SwitchWord {
    const char* word;
    int show; // 0: not a window switch
    bool isVerb;
};
constexpr SwitchWord SwitchWords[] = {
    {"MAX", SW_SHOWMAXIMIZED, false},
    {"MIN", SW_SHOWMINIMIZED, false},
    {"edit", 0, true},
    {"explore", 0, true},
    {"open", 0, true},
    {"print", 0, true},
    {"properties", 0, true},
    {"play", 0, true},
    {"opennew", 0, true},
};

} // namespace

QString GetModuleFolder(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? QString() : path.left(slash + 1);
}

bool IsSwitch(const QString& argument, const QString& word)
{
    QStringView rest(argument);
    if (rest.startsWith(u'-') || rest.startsWith(u'/'))
        rest = rest.mid(1);
    // Letters compare without case in the ASCII range only, as in the code
    // page the switches were written for: no folding of other scripts makes
    // a foreign word a switch.
    if (rest.size() != word.size())
        return false;
    for (qsizetype i = 0; i < rest.size(); ++i) {
        const char16_t a = rest[i].unicode();
        const char16_t b = word[i].unicode();
        const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
        if (lower(a) != lower(b))
            return false;
    }
    return true;
}

QString DocumentFullPath(const QString& folder, const QString& argument, int* error)
{
    // An empty argument or an over-long path has no full path. Going on with
    // whatever the path buffer held before would open the launcher itself.
    if (argument.isEmpty()) {
        *error = ENOENT;
        return {};
    }
    const QString base = folder.isEmpty() ? QDir::currentPath() : folder;
    const QString full = QDir::cleanPath(QDir(base).absoluteFilePath(argument));
    if (full.size() >= PathBufferChars) {
        *error = ENAMETOOLONG;
        return {};
    }
    *error = 0;
    return full;
}

ShellRequest NamedDocumentRequest(const QString& folder, const QString& fullPath,
                                  const QStringList& arguments)
{
    ShellRequest request;
    request.file = fullPath;
    request.directory = folder;
    for (qsizetype i = 2; i < arguments.size(); ++i) {
        for (const SwitchWord& s : SwitchWords) {
            const QString word = QString::fromLatin1(s.word);
            if (!IsSwitch(arguments.at(i), word))
                continue;
            if (s.isVerb)
                request.verb = word;
            else
                request.show = s.show;
            break;
        }
    }
    return request;
}

ShellRequest DefaultDocumentRequest(const QString& folder)
{
    QString name = DefaultDocumentName;
    const QDir dir(folder.isEmpty() ? QDir::currentPath() : folder);
    if (!dir.exists(name)) {
        const QStringList entries =
            dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
        for (const QString& entry : entries) {
            if (entry.compare(DefaultDocumentName, Qt::CaseInsensitive) == 0) {
                name = entry;
                break;
            }
        }
    }
    ShellRequest request;
    request.verb = QStringLiteral("open");
    request.file = folder + name;
    request.directory = folder;
    request.show = SW_SHOWNORMAL;
    return request;
}

QString FailureText(const ShellResult& result)
{
    if (!result.errorText.trimmed().isEmpty())
        return result.errorText.trimmed();
    // Error number 0 reads "Success" on this system: never show that for a
    // document that was not opened.
    if (result.errorCode != 0)
        return QString::fromLocal8Bit(std::strerror(result.errorCode));
    return QStringLiteral("The document could not be opened.");
}

void ShowLastError(LaunchMessages& messages, const QString& caption, const ShellResult& result)
{
    messages.Information(caption, FailureText(result));
}

void OpenDefaultDocument(const QString& folder, LaunchShell& shell, LaunchMessages& messages)
{
    const ShellResult result = shell.Execute(DefaultDocumentRequest(folder));
    if (!result.opened)
        ShowLastError(messages, DefaultDocumentName, result);
}

int LauncherMain(const QStringList& arguments, const QString& ownPath, LaunchShell& shell,
                 LaunchMessages& messages)
{
    const QString folder = GetModuleFolder(ownPath);
    // The program the shell starts inherits this as its working folder; the
    // document's own path is resolved against the folder below, whatever the
    // outcome here.
    QDir::setCurrent(folder);

    if (arguments.size() < 2) {
        OpenDefaultDocument(folder, shell, messages);
        return 0;
    }

    // Argument 1 is the document whatever it reads like; the caption of its
    // failure box is the argument as typed.
    const QString& document = arguments.at(1);
    ShellResult result;
    const QString fullPath = DocumentFullPath(folder, document, &result.errorCode);
    if (!fullPath.isEmpty())
        result = shell.Execute(NamedDocumentRequest(folder, fullPath, arguments));
    if (!result.opened)
        ShowLastError(messages, document, result);
    return 0;
}
