#include "app/startup/FontSubstitutes.h"

#include <QFont>
#include <QStringList>

namespace vellora {

void InstallFontSubstitutes()
{
    const struct {
        const char *face;
        const char *substitutes;
    } table[] = {
        {"Arial", "Liberation Sans,DejaVu Sans"},
        {"Arial Black", "DejaVu Sans,Liberation Sans"},
        {"Helvetica", "Liberation Sans,DejaVu Sans"},
        {"MS Sans Serif", "Liberation Sans,DejaVu Sans"},
        {"Microsoft Sans Serif", "Liberation Sans,DejaVu Sans"},
        {"Tahoma", "DejaVu Sans,Liberation Sans"},
        {"Verdana", "DejaVu Sans,Liberation Sans"},
        {"Times New Roman", "Liberation Serif,DejaVu Serif"},
        {"Courier New", "Liberation Mono,DejaVu Sans Mono"},
    };
    for (const auto &entry : table)
        QFont::insertSubstitutions(QLatin1String(entry.face), QString::fromLatin1(entry.substitutes).split(','));
}

}  // namespace vellora
