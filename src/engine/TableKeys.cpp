// Finding a row by its primary key.
#include "engine/EngineError.h"
#include "engine/FieldValues.h"
#include "engine/Table.h"
#include "engine/TableImpl.h"

#include <algorithm>

namespace vellora {

int Table::recNoOfKey(const QVariantList &keyValues) const
{
    d->requireOpen();
    if (d->pk.isEmpty())
        throw EngineError(QObject::tr("The table %1 has no primary key.").arg(d->display));
    if (keyValues.size() != d->pk.size())
        throw EngineError(QObject::tr("The primary key of table %1 has %2 fields, not %3.")
                              .arg(d->display)
                              .arg(d->pk.size())
                              .arg(keyValues.size()));
    if (d->idKey >= 0) {
        // Rows are in key order and a row's id is its key.
        bool ok = false;
        const qint64 key = keyValues.first().toLongLong(&ok);
        if (!ok)
            return 0;
        const auto it = std::lower_bound(d->order.begin(), d->order.end(), key);
        return it != d->order.end() && *it == key ? int(it - d->order.begin()) + 1 : 0;
    }
    engine::RowValues probe = d->nulls();
    for (int i = 0; i < d->pk.size(); ++i)
        probe[d->pk[i]] = keyValues[i];
    // positionFor gives the place after the last row with an equal key.
    const int pos = d->positionFor(0, probe) - 1;
    if (pos >= 0 && d->compareKeys(probe, d->rowAt(pos)) == 0)
        return pos + 1;
    return 0;
}

}  // namespace vellora
