#pragma once
// Errors inside a procedure are thrown as AppError and caught at the
// procedure's boundary, which shows the standard error report and leaves.
// Nothing is ever thrown across the Qt event loop.
#include <QString>

#include <exception>
#include <utility>

struct AppError : std::exception {
    int number = 0;
    QString description;

    explicit AppError(int n);
    AppError(int n, QString text) : number(n), description(std::move(text)) {}
    const char* what() const noexcept override { return "AppError"; }

    // The classic runtime texts: 5, 6, 9, 13, 52, 53, 58, 62, 70, 75, 76.
    static QString standardText(int n);
};

// The classic number of a failed file-system call, from the system's error
// code (errno): 70 Permission denied for what may not be written, 76 Path
// not found only for a missing folder on the way, 61 Disk full for a full
// disk or a file-size limit, 58 File already exists, 57 Device I/O error;
// 75 Path/File access error for anything else.
int FileErrorNumber(int systemError);
// The error `number` about the file or folder `path`: the classic text,
// then the path, so that the report still begins "ERROR No:" and the number
// ("ERROR No:70 Permission denied: /data/USER_DATA/A001_x").
AppError FileError(int number, const QString& path);
// FileError for the system's error code `systemError`.
AppError FileSystemError(int systemError, const QString& path);

// Shows "ERROR No:" + number + " " + description, OK button, no icon, titled
// `title` (the procedure's name). `exclamation` gives the variant with the
// exclamation icon.
void ShowErrorReport(const QString& title, const AppError& e, bool exclamation = false);

// Any exception from a procedure, as the error it stands for.
AppError ToAppError(std::exception_ptr p);

// Runs `body` as a procedure with its own error handler: an error shows the
// standard report titled `title` and the call returns false.
template <class F>
bool Guarded(const QString& title, F&& body)
{
    try {
        body();
        return true;
    } catch (...) {
        ShowErrorReport(title, ToAppError(std::current_exception()));
        return false;
    }
}

// Signal thrown by EndProgramNow() when tests replace the real exit: it must
// pass every handler, so it is not an AppError and Guarded rethrows it.
struct ProgramEnded {
    int code = 0;
};
