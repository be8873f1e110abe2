#include "app/shell/ErrorReport.h"

#include "engine/util/OperatorError.h"
#include "lang/MessageDialog.h"

namespace vellora {

QString CurrentExceptionMessage()
{
    try {
        throw;
    } catch (const OperatorError &e) {
        return e.message();
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("An unexpected error occurred.");
    }
}

void ShowGenericError(const QString &message)
{
    const QString title = QApplication::applicationDisplayName().isEmpty() ? QApplication::applicationName()
                                                                            : QApplication::applicationDisplayName();
    PlainMessage(title, message, PlainIcon::Error);
}

VelloraApplication::VelloraApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool VelloraApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowGenericError(CurrentExceptionMessage());
        return false;
    }
}

}  // namespace vellora
