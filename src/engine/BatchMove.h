// Moves the rows of one table into another.
#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

namespace vellora {

class Table;

enum class BatchMoveMode {
    Append,   // add every source row to the destination
    // Empty the destination and add every source row, as one change: when
    // the move fails the destination keeps every row it had. (An ODBC table
    // without a primary key cannot delete rows one by one: it is emptied
    // first, in a transaction of its own.)
    Replace,
};

class BatchMove : public QObject {
    Q_OBJECT
public:
    explicit BatchMove(QObject *parent = nullptr);
    ~BatchMove() override;

    Table *source() const { return m_source; }
    void setSource(Table *table) { m_source = table; }
    Table *destination() const { return m_destination; }
    void setDestination(Table *table) { m_destination = table; }
    BatchMoveMode mode() const { return m_mode; }
    void setMode(BatchMoveMode mode) { m_mode = mode; }

    // Lines "Dest=Source" (field names, case ignored). Empty: source field i
    // goes to destination field i, for the positions both tables have.
    // Destination fields without a line stay null (AutoInc fields are
    // numbered as usual).
    QStringList mappings() const { return m_mappings; }
    void setMappings(const QStringList &lines) { m_mappings = lines; }

    // When true (the default), the first key violation or conversion problem
    // stops the move with EngineError and nothing is written; when false
    // such rows are skipped and counted.
    bool abortOnKeyViolation() const { return m_abortOnKeyViol; }
    void setAbortOnKeyViolation(bool on) { m_abortOnKeyViol = on; }
    bool abortOnProblem() const { return m_abortOnProblem; }
    void setAbortOnProblem(bool on) { m_abortOnProblem = on; }

    // Opens tables that are closed (and closes them again afterwards), reads
    // the source from its first row and appends to the destination; the
    // destination is committed once at the end (one transaction, also when
    // it has cached updates). A mapping naming a missing field throws
    // before anything is moved. A conversion problem is a value that does
    // not fit the destination field's type or is longer than its size.
    void execute();

    // Called while the move runs, every few hundred source rows and once
    // more before the destination is written, with the rows read so far and
    // the source's row count. Windows let pending input through from here.
    using Progress = std::function<void(int done, int total)>;
    void setProgress(Progress progress) { m_progress = std::move(progress); }

    int movedCount() const { return m_moved; }
    // Rows skipped for any reason (key violations included).
    int problemCount() const { return m_problems; }
    int keyViolationCount() const { return m_keyViolations; }

private:
    Table *m_source = nullptr;
    Table *m_destination = nullptr;
    BatchMoveMode m_mode = BatchMoveMode::Append;
    QStringList m_mappings;
    Progress m_progress;
    bool m_abortOnKeyViol = true;
    bool m_abortOnProblem = true;
    int m_moved = 0;
    int m_problems = 0;
    int m_keyViolations = 0;
};

} // namespace vellora
