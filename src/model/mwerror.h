#pragma once

#include <QString>
#include <exception>

// The one failure the user sees: its message is shown unchanged.
struct MWError : std::exception {
    QString message;

    explicit MWError(QString text) : message(std::move(text)) {}
    const char* what() const noexcept override { return "MWError"; }
};

// Cancellation is not a failure: it is shown as "Cancelled", never as an error.
struct MWCancelled : std::exception {
    const char* what() const noexcept override { return "Cancelled"; }
};
