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
