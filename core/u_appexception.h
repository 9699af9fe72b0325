#pragma once
// The handler of errors that no operation handled: a required field left empty is told to the
// user, every other error is swallowed and the program goes on.

#include <QString>
#include <functional>

namespace aeris {

// True when the handler shows "Слід заповнити ключові поля" for this error text.
bool isRequiredFieldError(const QString& message);
// Shows the message for a required-field error (through the seams); swallows the rest.
void appException(const QString& message);
// Runs one delivery of an event; whatever it throws goes to appException and the program
// goes on (the result is then false).
bool guardedNotify(const std::function<bool()>& deliver);

} // namespace aeris
