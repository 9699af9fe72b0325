#pragma once
// The application object: every exception that escapes an event handler reaches the
// application-wide handler instead of ending the program.

#include <QApplication>

namespace aeris {

class AerisApplication : public QApplication {
public:
    AerisApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace aeris
