#pragma once
// The handler of errors that no operation handled: a required field left empty is told to the
// user, every other error is swallowed and the program goes on.

#include <QString>

namespace aeris {

// True when the handler shows "Слід заповнити ключові поля" for this error text.
bool isRequiredFieldError(const QString& message);
// Shows the message for a required-field error (through the seams); swallows the rest.
void appException(const QString& message);

} // namespace aeris
