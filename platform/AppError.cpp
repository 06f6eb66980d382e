#include "platform/AppError.h"

#include "platform/Dialogs.h"

#include <QDir>

#include <cerrno>
#include <new>
#include <stdexcept>

AppError::AppError(int n) : number(n), description(standardText(n)) {}

QString AppError::standardText(int n)
{
    switch (n) {
    case 5: return QStringLiteral("Invalid procedure call or argument");
    case 6: return QStringLiteral("Overflow");
    case 7: return QStringLiteral("Out of memory");
    case 9: return QStringLiteral("Subscript out of range");
    case 11: return QStringLiteral("Division by zero");
    case 13: return QStringLiteral("Type mismatch");
    case 52: return QStringLiteral("Bad file name or number");
    case 53: return QStringLiteral("File not found");
    case 55: return QStringLiteral("File already open");
    case 57: return QStringLiteral("Device I/O error");
    case 58: return QStringLiteral("File already exists");
    case 61: return QStringLiteral("Disk full");
    case 62: return QStringLiteral("Input past end of file");
    case 67: return QStringLiteral("Too many files");
    case 70: return QStringLiteral("Permission denied");
    case 75: return QStringLiteral("Path/File access error");
    case 76: return QStringLiteral("Path not found");
    case 481: return QStringLiteral("Invalid picture");
    case 482: return QStringLiteral("Printer error");
    case 484: return QStringLiteral("Problem getting printer information from the system. Make sure the printer is set up correctly.");
    default: return QStringLiteral("Application-defined or object-defined error");
    }
}

int FileErrorNumber(int systemError)
{
    switch (systemError) {
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
    case EBUSY:
        return 70;
    case ENOENT:
    case ENOTDIR:
        return 76;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return 61;
    case EEXIST:
    case ENOTEMPTY:
        return 58;
    case ENAMETOOLONG:
        return 52;
    case EMFILE:
    case ENFILE:
        return 67;
    case EIO:
        return 57;
    case ENOMEM:
        return 7;
    default:
        return 75;
    }
}

AppError FileError(int number, const QString& path)
{
    return AppError(number, AppError::standardText(number) + QStringLiteral(": ") + QDir::toNativeSeparators(path));
}

AppError FileSystemError(int systemError, const QString& path)
{
    return FileError(FileErrorNumber(systemError), path);
}

void ShowErrorReport(const QString& title, const AppError& e, bool exclamation)
{
    MsgBox(QStringLiteral("ERROR No:") + QString::number(e.number) + u' ' + e.description,
           vbOKOnly | (exclamation ? vbExclamation : 0), title);
}

AppError ToAppError(std::exception_ptr p)
{
    try {
        std::rethrow_exception(p);
    } catch (const AppError& e) {
        return e;
    } catch (const ProgramEnded&) {
        throw;
    } catch (const std::bad_alloc&) {
        return AppError(7);
    } catch (const std::out_of_range&) {
        return AppError(9);
    } catch (const std::exception& e) {
        return AppError(5, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        return AppError(5);
    }
}
