#include "engine/BatchMove.h"

#include "engine/EngineError.h"
#include "engine/FieldValues.h"
#include "engine/Table.h"
#include "engine/TableImpl.h"

#include <QHash>

#include <utility>

namespace vellora {

BatchMove::BatchMove(QObject *parent) : QObject(parent) {}
BatchMove::~BatchMove() = default;

void BatchMove::execute()
{
    if (!m_source || !m_destination)
        throw EngineError(tr("The batch move needs a source and a destination table."));
    m_moved = m_problems = m_keyViolations = 0;
    Table &src = *m_source;
    Table &dst = *m_destination;
    const bool srcWasOpen = src.isOpen();
    const bool dstWasOpen = dst.isOpen();
    struct Closer {
        Table &t;
        bool keep;
        ~Closer() { if (!keep) t.close(); }
    };
    if (!srcWasOpen)
        src.open();
    Closer srcCloser{src, srcWasOpen};
    if (!dstWasOpen)
        dst.open();
    Closer dstCloser{dst, dstWasOpen};

    // Pairs of (destination, source) positions.
    std::vector<std::pair<int, int>> map;
    if (m_mappings.isEmpty()) {
        for (int i = 0; i < std::min(src.fieldCount(), dst.fieldCount()); ++i)
            map.push_back({i, i});
    } else {
        for (const QString &line : m_mappings) {
            const int eq = line.indexOf(QLatin1Char('='));
            const QString dn = (eq < 0 ? line : line.left(eq)).trimmed();
            const QString sn = (eq < 0 ? line : line.mid(eq + 1)).trimmed();
            const Field df = dst.findField(dn);
            if (!df.isValid())
                throw EngineError(tr("The batch move names the field %1, which the table %2 does not have.")
                                      .arg(dn, dst.tableName()));
            const Field sf = src.findField(sn);
            if (!sf.isValid())
                throw EngineError(tr("The batch move names the field %1, which the table %2 does not have.")
                                      .arg(sn, src.tableName()));
            map.push_back({df.index(), sf.index()});
        }
    }
    Table::Impl &t = *dst.d;
    Table::Impl &s = *src.d;
    const QList<FieldDef> defs = t.defs;
    for (const auto &[di, si] : map) {
        (void)si;
        if (defs[di].type == FieldType::AutoInc)
            throw EngineError(tr("The field %1 of table %2 is numbered by the table; the batch move cannot "
                                 "fill it.")
                                  .arg(defs[di].name, dst.tableName()));
    }
    dst.cancel();
    if (dst.state() != TableState::Browse)
        dst.post();
    src.cancel();

    if (m_mode == BatchMoveMode::Replace && t.pk.isEmpty() && t.kind == QLatin1String("ODBC"))
        dst.emptyTable();
    const Table::Impl::Snapshot before = t.snapshot();
    if (m_mode == BatchMoveMode::Replace) {
        // Every row the destination shows goes into the cache as deleted;
        // the commit below writes the deletions with the new rows.
        for (qint64 id : t.order) {
            auto p = t.pending.find(id);
            if (p == t.pending.end()) {
                t.deleted.insert(id);
                continue;
            }
            // A cached insert simply goes; a cached edit deletes its stored row.
            const bool stored = p->kind == Table::Impl::Pending::Modified;
            t.pending.erase(p);
            if (stored)
                t.deleted.insert(id);
        }
        t.order.clear();
        t.cur = -1;
        t.bof = t.eof = true;
        t.dropWindow();
        t.invalidateCurrent();
    }
    const int total = src.recordCount();
    int done = 0;
    // Numbers for the new rows in one reservation; the unused rest is given
    // back at the end.
    QHash<int, qint64> reserved;   // field -> first number of the reservation
    for (int f = 0; f < defs.size(); ++f)
        if (defs[f].type == FieldType::AutoInc && total > 0) {
            const qint64 first = t.storage->reserveAutoInc(f, total);
            t.autoPool[f] = {first, first + total};
            reserved.insert(f, first);
        }
    t.holdCommits = true;
    auto rollback = [&]() {
        t.holdCommits = false;
        t.restore(before);
        // The rows numbered from the reservation never reached the table:
        // the whole reservation goes back, so the next card continues the
        // numbering as if the move had not been tried.
        for (auto it = reserved.constBegin(); it != reserved.constEnd(); ++it) {
            auto pool = t.autoPool.find(it.key());
            if (pool != t.autoPool.end())
                pool->first = it.value();
        }
        t.releasePools();
        dst.cancel();
    };
    try {
        src.first();
        while (!src.eof() && s.cur >= 0) {
            const engine::RowValues &row = s.current();
            dst.append();
            bool problem = false;
            for (const auto &[di, si] : map) {
                bool ok = true, cut = false;
                const QVariant v = engine::convertValue(row.value(si), defs[di], &ok, &cut);
                if (!ok || cut) {
                    problem = true;
                    break;
                }
                t.buf[di] = v;
            }
            t.modified = true;
            if (problem) {
                dst.cancel();
                if (m_abortOnProblem)
                    throw EngineError(tr("The batch move stopped at source row %1: a value does not fit "
                                         "its destination field.")
                                          .arg(src.recNo()));
                ++m_problems;
            } else {
                try {
                    dst.post();
                    ++m_moved;
                } catch (const KeyViolationError &) {
                    dst.cancel();
                    if (m_abortOnKeyViol)
                        throw;
                    ++m_keyViolations;
                    ++m_problems;
                } catch (const EngineError &) {
                    dst.cancel();
                    if (m_abortOnProblem)
                        throw;
                    ++m_problems;
                }
            }
            if (m_progress && (++done & 511) == 0)
                m_progress(done, total);
            if (s.cur + 1 >= src.recordCount())
                break;
            src.next();
        }
        if (m_progress)
            m_progress(total, total);
        t.releasePools();
        t.holdCommits = false;
        t.commit();
        // An AutoInc source copied into an integer field: the copy remembers
        // the numbers handed out, for when the field is made AutoInc again.
        for (const auto &[di, si] : map)
            if (s.defs[si].type == FieldType::AutoInc && engine::isIntegerType(defs[di].type))
                t.storage->raiseAutoIncHighWater(di, s.storage->autoIncHighWater(si));
    } catch (...) {
        rollback();
        m_moved = 0;
        throw;
    }
    emit dst.rowsChanged();
    emit dst.recordChanged();
}

} // namespace vellora
