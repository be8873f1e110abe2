#pragma once
// The generic error report: an error no command caught is shown in a message
// box titled with the application title, with the error icon and OK; the
// program goes on.
#include <QApplication>
#include <QString>

namespace vellora {

void ShowGenericError(const QString &message);

// The application object: it reports exceptions that reach the event loop
// instead of ending the program.
class VelloraApplication : public QApplication {
    Q_OBJECT
public:
    VelloraApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

// Runs a command, reporting any exception through ShowGenericError.
// Returns false when one was reported.
template <typename F>
bool ReportErrors(F &&command);

// The operator-readable text of the exception in flight.
QString CurrentExceptionMessage();

template <typename F>
bool ReportErrors(F &&command)
{
    try {
        command();
        return true;
    } catch (...) {
        ShowGenericError(CurrentExceptionMessage());
        return false;
    }
}

}  // namespace vellora
